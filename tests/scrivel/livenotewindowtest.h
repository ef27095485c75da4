#pragma once
// The live note window on its own, for widget tests: a configuration folder
// of its own (so no live source starts: pen events are injected), the
// program's texts loaded, the window shown and exposed.
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "lang/languagestrings.h"
#include "nibroute/nibroute.h"
#include "scrivel/newnotedlg.h"
#include "tests/support/tempdir.h"

class LiveNoteWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1);
    g_strings.Load(SCRIVEL_APP_DIR, 10001, 10008);
    Open();
  }
  void TearDown() override {
    m_dlg.reset();
    ZMTUninit();
  }
  void Open() {
    m_dlg = std::make_unique<CNewNoteDlg>();
    m_dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
  }

  scrivel::test::TempDir m_config;
  std::unique_ptr<CNewNoteDlg> m_dlg;
};
