// The PDF export end to end: the PDF it writes judged by poppler's tools,
// and every message it prints on standard output.
#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pdf/pdflib.h"
#include "scrivel/writeimagepdf.h"
#include "tests/share/sharetesting.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {
namespace {

class WriteImagePdfTest : public ::testing::Test {
 protected:
  // Writes a picture of `size` as JPEG and gives its path.
  std::string WriteJpeg(QSize size, const std::string& name = "Note.jpg") {
    const std::string path = dir.file(name);
    EXPECT_TRUE(TestPicture(size).save(QString::fromStdString(path), "JPEG"));
    return path;
  }
  // Runs the export, capturing what it prints.
  std::string Export(const std::string& jpeg, const std::string& pdf, bool* written) {
    return CaptureStdout([&] { *written = WriteImagePdf(jpeg.c_str(), pdf.c_str()); });
  }
  TempDir dir;
};

TEST_F(WriteImagePdfTest, OnePageOfThePicturesSizeWithTheDocumentInformation) {
  for (const QSize size : {QSize(222, 271), QSize(502, 640), QSize(17, 9)}) {
    SCOPED_TRACE(size.width());
    const std::string jpeg = WriteJpeg(size), pdf = dir.file("Note.pdf");
    bool written = false;
    EXPECT_EQ(Export(jpeg, pdf, &written), "") << "nothing is printed on success";
    EXPECT_TRUE(written);
    auto info = PdfInfo(pdf);
    EXPECT_EQ(info["Pages"], "1");
    EXPECT_EQ(info["Page size"],
              std::to_string(size.width()) + " x " + std::to_string(size.height()) + " pts");
    EXPECT_EQ(info["Creator"], "image");
    EXPECT_EQ(info["Author"], "Quillmark");
    EXPECT_EQ(info["Title"], "image sample (C)");
  }
}

TEST_F(WriteImagePdfTest, TheJpegIsEmbeddedUnchangedAsDct) {
  const std::string jpeg = WriteJpeg(QSize(222, 271)), pdf = dir.file("Note.pdf");
  bool written = false;
  Export(jpeg, pdf, &written);
  ASSERT_TRUE(written);
  const auto images = PdfImages(pdf);
  ASSERT_EQ(images.size(), 1u);
  // page num type width height color comp bpc enc ...
  ASSERT_GE(images[0].size(), 9u);
  EXPECT_EQ(images[0][2], "image");
  EXPECT_EQ(images[0][3], "222");
  EXPECT_EQ(images[0][4], "271");
  EXPECT_EQ(images[0][5], "rgb");
  EXPECT_EQ(images[0][8], "jpeg");
  // The stream pdfimages takes out is the very file that went in.
  const RunResult extracted = scrivel::test::Run("/usr/bin/pdfimages", {"-j", pdf, dir.file("out")});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  EXPECT_TRUE(ReadFile(dir.file("out-000.jpg")) == ReadFile(jpeg));
}

TEST_F(WriteImagePdfTest, TheRenderedPageShowsThePicture) {
  const QSize size(222, 271);
  const std::string jpeg = WriteJpeg(size), pdf = dir.file("Note.pdf");
  bool written = false;
  Export(jpeg, pdf, &written);
  ASSERT_TRUE(written);
  const QImage rendered = RenderPdfPage(pdf, dir.path());
  ASSERT_EQ(rendered.size(), size);
  // Compared with the JPEG as decoded (edges are resampled a little); a
  // mirrored picture is far off.
  const QImage source(QString::fromStdString(jpeg));
  EXPECT_LT(MeanChannelDifference(rendered, source), 4.0);
  EXPECT_GT(MeanChannelDifference(rendered.mirrored(false, true), source), 20.0);
  EXPECT_GT(MeanChannelDifference(rendered.mirrored(true, false), source), 20.0);
  // The red block is at the top left.
  const QRgb red = rendered.pixel(90, 32);
  EXPECT_GT(qRed(red), 150);
  EXPECT_LT(qBlue(red), 90);
}

struct FailureCase {
  const char* name;
  // What is at the image path: a picture, other bytes, or nothing.
  enum { Picture, Bytes, Nothing } image;
  std::string bytes;
  // Where the PDF goes: the usual path, a missing folder, or a folder.
  enum { Usual, MissingFolder, Folder } pdf;
  std::string message;  // the message inside "Error: %s\n"
};

TEST_F(WriteImagePdfTest, FailuresPrintErrorAndLeaveNoPdf) {
  const std::vector<FailureCase> cases = {
      {"missing JPEG", FailureCase::Nothing, "", FailureCase::Usual,
       "Couldn't open image file '" + dir.file("in.jpg") + "' for reading (No such file or directory)"},
      {"PNG named .jpg", FailureCase::Bytes, "\x89PNG\r\n\x1a\n-rest-", FailureCase::Usual,
       "Image file '" + dir.file("in.jpg") + "' is not a JPEG file"},
      {"empty file", FailureCase::Bytes, "", FailureCase::Usual,
       "Image file '" + dir.file("in.jpg") + "' is not a JPEG file"},
      {"PDF folder missing", FailureCase::Picture, "", FailureCase::MissingFolder,
       "Couldn't open PDF file '" + dir.file("gone/Note.pdf") + "' for writing (No such file or directory)"},
      {"PDF path is a folder", FailureCase::Picture, "", FailureCase::Folder,
       "Couldn't open PDF file '" + dir.file("Note.pdf") + "' for writing (Is a directory)"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string jpeg = dir.file("in.jpg");
    std::filesystem::remove(jpeg);
    std::filesystem::remove_all(dir.file("Note.pdf"));
    if (c.image == FailureCase::Picture) WriteJpeg(QSize(50, 40), "in.jpg");
    if (c.image == FailureCase::Bytes) WriteFile(jpeg, c.bytes);
    std::string pdf = dir.file("Note.pdf");
    if (c.pdf == FailureCase::MissingFolder) pdf = dir.file("gone/Note.pdf");
    if (c.pdf == FailureCase::Folder) std::filesystem::create_directory(pdf);
    if (c.pdf == FailureCase::Usual) WriteFile(pdf, "a PDF of an earlier share");

    bool written = true;
    EXPECT_EQ(Export(jpeg, pdf, &written), "Error: " + c.message + "\n");
    EXPECT_FALSE(written);
    if (c.pdf == FailureCase::Folder) {
      EXPECT_TRUE(std::filesystem::is_directory(pdf));
    } else {
      EXPECT_FALSE(std::filesystem::exists(pdf)) << "no PDF is left, not even an older one";
    }
  }
}

TEST_F(WriteImagePdfTest, AFailedWritePrintsTheException) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string jpeg = WriteJpeg(QSize(222, 271));
  bool written = true;
  EXPECT_EQ(Export(jpeg, "/dev/full", &written),
            "PDFlib exception occurred in image sample:\n"
            "[" + std::to_string(PDF_E_FILE_WRITE) +
                "] PDF_end_document: Couldn't write PDF file '/dev/full' (No space left on device)\n");
  EXPECT_FALSE(written);
}

}  // namespace
}  // namespace scrivel::test
