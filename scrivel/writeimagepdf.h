#pragma once
// The PDF export: a JPEG picture wrapped into a one-page PDF whose page takes
// the picture's size (one point per pixel), the JPEG embedded unchanged.

// Writes the JPEG file `imagePath` as a one-page PDF to `pdfPath` (both
// UTF-8), with the document information Creator "image", Author "Quillmark"
// and Title "image sample (C)". Progress and failures are printed on
// standard output:
//   "Couldn't create PDFlib object (out of memory)!\n"
//   "Error: %s\n"  (the PDF file can't be created, or the image can't be loaded)
//   "PDFlib exception occurred in image sample:\n" and "[%d] %s: %s\n"
//     (error number, failing call, message)
// Returns true when the PDF was written completely. On any failure no file
// is left at `pdfPath` (a file that was there before is gone too).
// Runs on any thread; blocks until the file is written.
bool WriteImagePdf(const char* imagePath, const char* pdfPath);
