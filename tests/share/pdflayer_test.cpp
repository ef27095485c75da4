// The PDF layer on its own: scopes, the exception frame, the error policy,
// JPEG checks, page sizes from "adjustpage", and that an unfinished or failed
// document leaves no file.
#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pdf/pdflib.h"
#include "tests/share/sharetesting.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {
namespace {

std::string JpegBytes(QSize size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  TestPicture(size).save(&buffer, "JPEG");
  return bytes.toStdString();
}

// A JPEG's start: the signature, a frame header of `marker` with the given
// size and component count, and the start of a scan.
std::string Sof(int marker, int height, int width, int components) {
  std::string bytes = "\xFF\xD8";
  bytes += {'\xFF', static_cast<char>(marker), 0, static_cast<char>(8 + 3 * components), 8,
            static_cast<char>(height >> 8), static_cast<char>(height & 0xFF), static_cast<char>(width >> 8),
            static_cast<char>(width & 0xFF), static_cast<char>(components)};
  for (int c = 0; c < components; ++c) bytes += {static_cast<char>(c + 1), 0x11, 0};
  bytes += std::string("\xFF\xDA\x00\x02", 4);
  return bytes;
}

class PdfLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_jpeg = dir.file("page.jpg");
    WriteFile(m_jpeg, JpegBytes(QSize(120, 90)));
  }
  TempDir dir;
  std::string m_jpeg;
};

// One step of a call sequence; steps run in a try block, so they keep no
// object with a destructor.
struct Steps {
  const char* jpeg;
  const char* pdf;
  int image;
};
using Step = void (*)(PDF*, Steps*);

void BeginDocument(PDF* p, Steps* s) { PDF_begin_document(p, s->pdf, 0, ""); }
void LoadImage(PDF* p, Steps* s) { s->image = PDF_load_image(p, "auto", s->jpeg, 0, ""); }
void BeginPage(PDF* p, Steps*) { PDF_begin_page_ext(p, 10, 10, ""); }
void FitImage(PDF* p, Steps* s) { PDF_fit_image(p, s->image, 0, 0, "adjustpage"); }
void FitBadOption(PDF* p, Steps* s) { PDF_fit_image(p, s->image, 0, 0, "adjustpage boxsize={10 10}"); }
void FitBadHandle(PDF* p, Steps*) { PDF_fit_image(p, 7, 0, 0, ""); }
void CloseImage(PDF* p, Steps* s) { PDF_close_image(p, s->image); }
void EndPage(PDF* p, Steps*) { PDF_end_page_ext(p, ""); }
void EndDocument(PDF* p, Steps*) { PDF_end_document(p, ""); }
void SetCreator(PDF* p, Steps*) { PDF_set_info(p, "Creator", "image"); }
void SetProducer(PDF* p, Steps*) { PDF_set_info(p, "Producer", "me"); }
void UnknownParameter(PDF* p, Steps*) { PDF_set_parameter(p, "compress", "9"); }
void TinyPage(PDF* p, Steps*) { PDF_begin_page_ext(p, 2, 10, ""); }
void PageOptions(PDF* p, Steps*) { PDF_begin_page_ext(p, 10, 10, "rotate=90"); }

struct ExceptionCase {
  const char* name;
  std::vector<Step> steps;
  int errnum;
  const char* apiname;
  const char* message;  // a part of the message
};

// Runs the steps in a try block; gives how many completed and whether the
// catch ran.
int RunInTry(PDF* p, Steps* s, const std::vector<Step>& steps, bool* caught) {
  volatile int done = 0;
  *caught = false;
  PDF_TRY(p) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
      steps[i](p, s);
      done = done + 1;
    }
  }
  PDF_CATCH(p) { *caught = true; }
  return done;
}

TEST_F(PdfLayerTest, FailingCallsRaiseAnExceptionThatTheCatchBlockSees) {
  const std::vector<ExceptionCase> cases = {
      {"page before document", {BeginPage}, PDF_E_SCOPE, "PDF_begin_page_ext", "'object' scope"},
      {"info before document", {SetCreator}, PDF_E_SCOPE, "PDF_set_info", "'object' scope"},
      {"fit outside page", {BeginDocument, LoadImage, FitImage}, PDF_E_SCOPE, "PDF_fit_image", "'document' scope"},
      {"end document in page", {BeginDocument, BeginPage, EndDocument}, PDF_E_SCOPE, "PDF_end_document",
       "'page' scope"},
      {"end page twice", {BeginDocument, BeginPage, EndPage, EndPage}, PDF_E_SCOPE, "PDF_end_page_ext",
       "'document' scope"},
      {"unknown parameter", {UnknownParameter}, PDF_E_PARAMETER, "PDF_set_parameter", "'compress'"},
      {"reserved info key", {BeginDocument, SetProducer}, PDF_E_PARAMETER, "PDF_set_info", "'Producer'"},
      {"unknown fit option", {BeginDocument, LoadImage, BeginPage, FitBadOption}, PDF_E_OPTION, "PDF_fit_image",
       "'boxsize={10'"},
      {"page options", {BeginDocument, PageOptions}, PDF_E_OPTION, "PDF_begin_page_ext", "rotate=90"},
      {"bad image handle", {BeginDocument, BeginPage, FitBadHandle}, PDF_E_IMAGE_HANDLE, "PDF_fit_image", "7"},
      {"image closed twice", {BeginDocument, LoadImage, CloseImage, CloseImage}, PDF_E_IMAGE_HANDLE,
       "PDF_close_image", "handle 0"},
      {"page too small", {BeginDocument, TinyPage}, PDF_E_PAGE_SIZE, "PDF_begin_page_ext", "2 x 10"},
      {"document without pages", {BeginDocument, EndDocument}, PDF_E_NO_PAGES, "PDF_end_document",
       "any pages"},
  };
  for (const ExceptionCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string pdf = dir.file("out.pdf");
    Steps s{m_jpeg.c_str(), pdf.c_str(), -1};
    PDF* p = PDF_new();
    ASSERT_NE(p, nullptr);
    bool caught = false;
    const int done = RunInTry(p, &s, c.steps, &caught);
    EXPECT_TRUE(caught);
    EXPECT_EQ(done, static_cast<int>(c.steps.size()) - 1) << "the failing call is the last step";
    EXPECT_EQ(PDF_get_errnum(p), c.errnum);
    EXPECT_STREQ(PDF_get_apiname(p), c.apiname);
    EXPECT_NE(std::string(PDF_get_errmsg(p)).find(c.message), std::string::npos) << PDF_get_errmsg(p);
    PDF_delete(p);
    EXPECT_FALSE(std::filesystem::exists(pdf)) << "an unfinished document leaves no file";
  }
}

TEST_F(PdfLayerTest, TryBlockWithoutFailureSkipsTheCatch) {
  const std::string pdf = dir.file("out.pdf");
  Steps s{m_jpeg.c_str(), pdf.c_str(), -1};
  PDF* p = PDF_new();
  bool caught = true;
  const std::vector<Step> steps = {BeginDocument, SetCreator, LoadImage, BeginPage, FitImage,
                                   CloseImage,    EndPage,    EndDocument};
  EXPECT_EQ(RunInTry(p, &s, steps, &caught), static_cast<int>(steps.size()));
  EXPECT_FALSE(caught);
  EXPECT_EQ(PDF_get_errnum(p), 0);
  EXPECT_STREQ(PDF_get_errmsg(p), "");
  PDF_delete(p);
  EXPECT_EQ(PdfInfo(pdf)["Pages"], "1");
}

struct PolicyCase {
  const char* name;
  std::string content;   // written to the image path ("" = no file)
  bool missingFolder;    // the PDF goes into a folder that doesn't exist
  int beginResult, loadResult, errnum;
  const char* message;
};

TEST_F(PdfLayerTest, ErrorPolicyReturnGivesMinusOneAndTheReason) {
  const std::string jpeg = JpegBytes(QSize(40, 30));
  const std::vector<PolicyCase> cases = {
      {"image missing", "", false, 1, -1, PDF_E_IMAGE_READ, "No such file or directory"},
      {"PNG named .jpg", "\x89PNG\r\n\x1a\n0000", false, 1, -1, PDF_E_IMAGE_FORMAT, "is not a JPEG file"},
      {"text named .jpg", "hello", false, 1, -1, PDF_E_IMAGE_FORMAT, "is not a JPEG file"},
      {"JPEG signature only", std::string("\xFF\xD8\xFF\xE0", 4), false, 1, -1, PDF_E_IMAGE_FORMAT,
       "ends before its frame header"},
      {"JPEG cut in its headers", jpeg.substr(0, 40), false, 1, -1, PDF_E_IMAGE_FORMAT,
       "ends before its frame header"},
      {"JPEG cut before its scan", jpeg.substr(0, jpeg.find("\xFF\xDA")), false, 1, -1, PDF_E_IMAGE_FORMAT,
       "ends before its picture data"},
      {"lossless JPEG", Sof(0xC3, 30, 40, 3), false, 1, -1, PDF_E_IMAGE_FORMAT, "JPEG coding"},
      {"JPEG without a size", Sof(0xC0, 0, 40, 3), false, 1, -1, PDF_E_IMAGE_FORMAT, "no picture size"},
      {"JPEG of two components", Sof(0xC0, 30, 40, 2), false, 1, -1, PDF_E_IMAGE_FORMAT, "colour components"},
      {"JPEG scan without frame", std::string("\xFF\xD8\xFF\xDA\x00\x02", 6), false, 1, -1,
       PDF_E_IMAGE_FORMAT, "no frame header"},
      {"PDF folder missing", jpeg, true, -1, -1, PDF_E_FILE_WRITE, "No such file or directory"},
  };
  for (const PolicyCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string image = dir.file(std::string("case-") + c.name + ".jpg");
    if (!c.content.empty()) WriteFile(image, c.content);
    const std::string pdf = c.missingFolder ? dir.file("no/such/folder/out.pdf") : dir.file("out.pdf");
    PDF* p = PDF_new();
    PDF_set_parameter(p, "errorpolicy", "return");
    const int begun = PDF_begin_document(p, pdf.c_str(), 0, "");
    EXPECT_EQ(begun, c.beginResult);
    if (begun == 1) {
      EXPECT_EQ(PDF_load_image(p, "auto", image.c_str(), 0, ""), c.loadResult);
    }
    EXPECT_EQ(PDF_get_errnum(p), c.errnum);
    EXPECT_NE(std::string(PDF_get_errmsg(p)).find(c.message), std::string::npos) << PDF_get_errmsg(p);
    PDF_delete(p);
    EXPECT_FALSE(std::filesystem::exists(pdf));
  }
}

TEST_F(PdfLayerTest, DefaultPolicyRaisesForAMissingImage) {
  const std::string pdf = dir.file("out.pdf");
  Steps s{"/no/such/picture.jpg", pdf.c_str(), -1};
  PDF* p = PDF_new();
  bool caught = false;
  EXPECT_EQ(RunInTry(p, &s, {BeginDocument, LoadImage}, &caught), 1);
  EXPECT_TRUE(caught);
  EXPECT_EQ(PDF_get_errnum(p), PDF_E_IMAGE_READ);
  EXPECT_STREQ(PDF_get_apiname(p), "PDF_load_image");
  PDF_delete(p);
}

TEST_F(PdfLayerTest, ExceptionOutsideATryBlockMakesLaterCallsDoNothing) {
  const std::string pdf = dir.file("out.pdf");
  PDF* p = PDF_new();
  PDF_begin_page_ext(p, 10, 10, "");  // wrong scope, no try block
  EXPECT_EQ(PDF_get_errnum(p), PDF_E_SCOPE);
  EXPECT_EQ(PDF_begin_document(p, pdf.c_str(), 0, ""), -1);
  EXPECT_EQ(PDF_get_errnum(p), PDF_E_SCOPE) << "the first failure stays the one reported";
  EXPECT_FALSE(std::filesystem::exists(pdf));
  PDF_delete(p);
  PDF_delete(nullptr);
}

struct FitCase {
  QSize picture;
  double x, y;
  const char* pageSize;  // as pdfinfo reports it
};

TEST_F(PdfLayerTest, AdjustpageSizesThePageToTheImageAtItsPosition) {
  const std::vector<FitCase> cases = {
      {QSize(120, 90), 0, 0, "120 x 90 pts"},
      {QSize(222, 271), 0, 0, "222 x 271 pts"},
      {QSize(501, 1003), 0, 0, "501 x 1003 pts"},
      {QSize(120, 90), 30, 10, "150 x 100 pts"},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.pageSize);
    const std::string jpeg = dir.file("fit.jpg"), pdf = dir.file("fit.pdf");
    WriteFile(jpeg, JpegBytes(c.picture));
    PDF* p = PDF_new();
    ASSERT_EQ(PDF_begin_document(p, pdf.c_str(), 0, ""), 1);
    const int image = PDF_load_image(p, "auto", jpeg.c_str(), 0, "");
    ASSERT_GE(image, 0);
    PDF_begin_page_ext(p, 10, 10, "");
    PDF_fit_image(p, image, c.x, c.y, "adjustpage");
    PDF_close_image(p, image);
    PDF_end_page_ext(p, "");
    PDF_end_document(p, "");
    EXPECT_EQ(PDF_get_errnum(p), 0) << PDF_get_errmsg(p);
    PDF_delete(p);
    auto info = PdfInfo(pdf);
    EXPECT_EQ(info["Pages"], "1");
    EXPECT_EQ(info["Page size"], c.pageSize);
  }
}

TEST_F(PdfLayerTest, GreyAndProgressiveJpegsAreEmbeddedToo) {
  struct Case {
    const char* name;
    bool grey, progressive;
    const char* colour;  // as pdfimages lists it
  };
  for (const Case& c : {Case{"grey", true, false, "gray"}, Case{"progressive", false, true, "rgb"}}) {
    SCOPED_TRACE(c.name);
    const std::string jpeg = dir.file(std::string(c.name) + ".jpg"), pdf = dir.file("kind.pdf");
    QImage picture = TestPicture(QSize(70, 50));
    if (c.grey) picture = picture.convertToFormat(QImage::Format_Grayscale8);
    QImageWriter writer(QString::fromStdString(jpeg), "jpeg");
    writer.setProgressiveScanWrite(c.progressive);
    ASSERT_TRUE(writer.write(picture));
    PDF* p = PDF_new();
    PDF_set_parameter(p, "errorpolicy", "return");
    ASSERT_EQ(PDF_begin_document(p, pdf.c_str(), 0, ""), 1);
    const int image = PDF_load_image(p, "auto", jpeg.c_str(), 0, "");
    ASSERT_GE(image, 0) << PDF_get_errmsg(p);
    PDF_begin_page_ext(p, 10, 10, "");
    PDF_fit_image(p, image, 0, 0, "adjustpage");
    PDF_end_page_ext(p, "");
    PDF_end_document(p, "");
    PDF_delete(p);
    const auto images = PdfImages(pdf);
    ASSERT_EQ(images.size(), 1u);
    ASSERT_GE(images[0].size(), 9u);
    EXPECT_EQ(images[0][5], c.colour);
    EXPECT_EQ(images[0][8], "jpeg");
  }
}

TEST_F(PdfLayerTest, WithoutAdjustpageThePageKeepsItsSize) {
  const std::string pdf = dir.file("fixed.pdf");
  PDF* p = PDF_new();
  ASSERT_EQ(PDF_begin_document(p, pdf.c_str(), 0, ""), 1);
  const int image = PDF_load_image(p, "jpeg", m_jpeg.c_str(), 0, "");
  PDF_begin_page_ext(p, 300, 200, "");
  PDF_fit_image(p, image, 0, 0, "");
  PDF_end_page_ext(p, "");
  PDF_end_document(p, "");
  PDF_delete(p);
  EXPECT_EQ(PdfInfo(pdf)["Page size"], "300 x 200 pts");
}

TEST_F(PdfLayerTest, RelativeImageNamesAreFoundThroughTheSearchPath) {
  std::filesystem::create_directories(dir.file("data"));
  WriteFile(dir.file("data/found.jpg"), JpegBytes(QSize(64, 48)));
  const std::string pdf = dir.file("search.pdf");
  PDF* p = PDF_new();
  PDF_set_parameter(p, "errorpolicy", "return");
  PDF_set_parameter(p, "SearchPath", dir.file("elsewhere").c_str());
  PDF_set_parameter(p, "SearchPath", dir.file("data").c_str());
  ASSERT_EQ(PDF_begin_document(p, pdf.c_str(), 0, ""), 1);
  EXPECT_GE(PDF_load_image(p, "auto", "found.jpg", 0, ""), 0) << PDF_get_errmsg(p);
  EXPECT_EQ(PDF_load_image(p, "auto", "lost.jpg", 0, ""), -1);
  EXPECT_NE(std::string(PDF_get_errmsg(p)).find("'lost.jpg'"), std::string::npos) << PDF_get_errmsg(p);
  PDF_delete(p);
}

TEST_F(PdfLayerTest, DeletingAnUnfinishedDocumentRemovesWhatWasThere) {
  const std::string pdf = dir.file("old.pdf");
  WriteFile(pdf, "an older PDF");
  PDF* p = PDF_new();
  ASSERT_EQ(PDF_begin_document(p, pdf.c_str(), 0, ""), 1);
  PDF_begin_page_ext(p, 10, 10, "");
  PDF_delete(p);
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(PdfLayerTest, AWriteFailureRaisesAndLeavesADeviceAlone) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Steps s{m_jpeg.c_str(), "/dev/full", -1};
  PDF* p = PDF_new();
  bool caught = false;
  RunInTry(p, &s, {BeginDocument, LoadImage, BeginPage, FitImage, EndPage, EndDocument}, &caught);
  EXPECT_TRUE(caught);
  EXPECT_EQ(PDF_get_errnum(p), PDF_E_FILE_WRITE);
  EXPECT_STREQ(PDF_get_apiname(p), "PDF_end_document");
  EXPECT_NE(std::string(PDF_get_errmsg(p)).find("No space left on device"), std::string::npos)
      << PDF_get_errmsg(p);
  PDF_delete(p);
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

}  // namespace
}  // namespace scrivel::test
