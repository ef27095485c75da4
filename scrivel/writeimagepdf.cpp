#include "scrivel/writeimagepdf.h"

#include <cstdio>

#include "pdf/pdflib.h"

// The layer's try block jumps back here with longjmp: this function keeps no
// object with a destructor, and what changes inside the block is volatile.
bool WriteImagePdf(const char* imagePath, const char* pdfPath) {
  PDF* p = PDF_new();
  if (p == nullptr) {
    std::printf("Couldn't create PDFlib object (out of memory)!\n");
    std::fflush(stdout);
    return false;
  }

  volatile bool written = false;
  PDF_TRY(p) {
    PDF_set_parameter(p, "errorpolicy", "return");

    if (PDF_begin_document(p, pdfPath, 0, "") == -1) {
      std::printf("Error: %s\n", PDF_get_errmsg(p));
      std::fflush(stdout);
      PDF_delete(p);
      return false;
    }

    PDF_set_parameter(p, "SearchPath", "../data");
    PDF_set_parameter(p, "hypertextencoding", "host");

    PDF_set_info(p, "Creator", "image");
    PDF_set_info(p, "Author", "Quillmark");
    PDF_set_info(p, "Title", "image sample (C)");

    const int image = PDF_load_image(p, "auto", imagePath, 0, "");
    if (image == -1) {
      std::printf("Error: %s\n", PDF_get_errmsg(p));
      std::fflush(stdout);
      PDF_delete(p);  // the unfinished PDF goes with it
      return false;
    }

    // A placeholder size: fitting the picture gives the page its size.
    PDF_begin_page_ext(p, 10, 10, "");
    PDF_fit_image(p, image, 0.0, 0.0, "adjustpage");
    PDF_close_image(p, image);
    PDF_end_page_ext(p, "");
    PDF_end_document(p, "");
    written = true;
  }
  PDF_CATCH(p) {
    std::printf("PDFlib exception occurred in image sample:\n");
    std::printf("[%d] %s: %s\n", PDF_get_errnum(p), PDF_get_apiname(p), PDF_get_errmsg(p));
    std::fflush(stdout);
    PDF_delete(p);
    return false;
  }

  PDF_delete(p);
  return written;
}
