#pragma once
// The page table: up to 200 decoded pages. A download decodes into a PageList
// of its own and then replaces the table's content in one step, under the
// table's lock, so a reader sees the old pages or the new ones, never half.
//
// Point arrays come from malloc: the caller of DUVOGetPage frees them with
// DUVOFreePage. An array stays the table's until it is handed out; the table
// frees only arrays it still owns.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "nibdl/nibdl.h"

namespace nibdl {

constexpr int kMaxPages = 200;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
using PointArray = std::unique_ptr<DUVOPAGE, FreeDeleter>;

// A page as decoded, before it joins the table.
struct DecodedPage {
  PointArray points;
  int count = 0;
  uint32_t timeStamp = 0;  // minutes since 2008-01-01 00:00 local time
  int flipped = 0;
  int uploaded = 0;
};
using PageList = std::vector<DecodedPage>;

// What DUVOGetTimeStamp and DUVOIsPage... report for a page.
struct PageInfo {
  uint32_t timeStamp = 0;
  int flipped = 0;
  int uploaded = 0;
};

class PageTable {
 public:
  PageTable() = default;
  ~PageTable();
  PageTable(const PageTable&) = delete;
  PageTable& operator=(const PageTable&) = delete;

  // The pages of a new download, at most 200 (more are dropped).
  void Replace(PageList pages);
  // Empties the table (the connection closed).
  void Clear();

  int Count() const;
  // Hands out the point array of page `index` (1-based); from then on it is
  // the caller's. Outside 1..Count(): null and 0, false.
  bool Take(int index, DUVOPAGE** points, int* count);
  // Page attributes; zero outside 1..Count().
  PageInfo Info(int index) const;
  // DUVOFreePage: the caller gives an array back. It leaves the table (an
  // entry that held it reads as an empty page) and is freed.
  void GiveBack(DUVOPAGE* points);

 private:
  struct Entry {
    DUVOPAGE* points = nullptr;
    int count = 0;
    PageInfo info;
    bool handedOut = false;
  };
  void ReleaseOwned();  // frees arrays never handed out; lock held

  mutable std::mutex m_mutex;
  std::array<Entry, kMaxPages> m_entries{};
  int m_count = 0;
};

}  // namespace nibdl
