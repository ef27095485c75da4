#ifndef SCRIVEL_PDF_JPEGCHECK_H
#define SCRIVEL_PDF_JPEGCHECK_H
/* Inside the PDF layer: libharu takes any file for a JPEG and reads whatever
 * header it finds, so the layer checks the file's structure first. */

#include <stdio.h>

/* Reads `file` from its start up to the first scan. NULL when the file
 * starts with a JPEG signature and holds a frame header that PDF viewers
 * decode (baseline, extended or progressive DCT; a size; 1, 3 or 4
 * components) before a scan; otherwise what is wrong, as words that follow
 * "it" ("is not a JPEG file", "ends before its frame header", ...).
 * *is_jpeg says whether the signature was there. */
const char* pdf_jpeg_problem(FILE* file, int* is_jpeg);

#endif /* SCRIVEL_PDF_JPEGCHECK_H */
