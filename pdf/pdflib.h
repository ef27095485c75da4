#ifndef SCRIVEL_PDF_PDFLIB_H
#define SCRIVEL_PDF_PDFLIB_H
/*
 * A small PDF layer with the PDFlib calls that the PDF export makes, written
 * on libharu. It offers one thing: a document of pages that show JPEG
 * pictures, embedded unchanged (DCT), with document information.
 *
 * Objects and scopes. PDF_new gives an object in "object" scope;
 * PDF_begin_document enters "document" scope, PDF_begin_page_ext "page"
 * scope; PDF_end_page_ext and PDF_end_document leave them. A call made in a
 * scope where it is not allowed raises an exception.
 *
 * Failures. Each failure records an error number, the name of the failing
 * call and a message (PDF_get_errnum, PDF_get_apiname, PDF_get_errmsg).
 * PDF_begin_document and PDF_load_image return -1 on failure when the
 * parameter "errorpolicy" is "return"; with "exception" (the default) they
 * raise, as every other failing call does.
 *
 * Exceptions. An exception jumps (longjmp) to the innermost open try block
 * of its object:
 *
 *     PDF_TRY(p) {
 *         ... calls on p ...
 *     } PDF_CATCH(p) {
 *         ... PDF_get_errnum(p), PDF_get_apiname(p), PDF_get_errmsg(p) ...
 *         PDF_delete(p);
 *     }
 *
 * The jump skips only the layer's own C frames. A try block is left through
 * its end (then PDF_CATCH runs its body only when an exception was raised)
 * or by deleting the object. Automatic variables of the function holding the
 * try block that change inside it must be volatile to be read after a catch,
 * and that function must own no object with a destructor (setjmp rules).
 * Raised outside any try block, an exception makes the object refuse every
 * later call (they do nothing and return -1); PDF_delete still frees it.
 *
 * Files. PDF_begin_document opens the output file at once (truncating it);
 * PDF_end_document writes the whole document into it. A document that is
 * not ended successfully (a failure, or PDF_delete before the end) leaves no
 * file behind: a regular file that the layer truncated is removed.
 *
 * Units: one point = 1/72 inch; a picture is placed at one point per pixel.
 * Strings are UTF-8 (the "host" encoding here) and passed on unchanged.
 * Objects are independent; one object must be used by one thread at a time.
 * The layer never prints and never exits.
 */

#include <setjmp.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PDF_s PDF;

/* Error numbers (PDF_get_errnum). */
enum {
    PDF_E_MEMORY = 1000,       /* out of memory */
    PDF_E_FILE_WRITE = 1010,   /* the PDF file can't be created or written */
    PDF_E_IMAGE_READ = 1020,   /* the image file can't be opened or read */
    PDF_E_IMAGE_FORMAT = 1021, /* the image is not a JPEG libharu can embed */
    PDF_E_IMAGE_HANDLE = 1022, /* no open image with that handle */
    PDF_E_PAGE_SIZE = 1030,    /* page width or height outside 3..14400 points */
    PDF_E_NO_PAGES = 1040,     /* the document was ended without a page */
    PDF_E_PARAMETER = 1100,    /* unknown parameter, info key or value */
    PDF_E_OPTION = 1200,       /* unknown or unsupported option in an option list */
    PDF_E_SCOPE = 2100,        /* call not allowed in the current scope */
    PDF_E_BACKEND = 2900       /* libharu failed in a way not listed above */
};

/* A new object, or NULL when out of memory. */
PDF* PDF_new(void);
/* Frees the object; an unfinished document's file is removed. NULL is fine. */
void PDF_delete(PDF* p);

/* Parameters, any scope: "errorpolicy" = "return" | "exception";
 * "SearchPath" = a folder appended to the folders searched for relative
 * image names (after the current folder); "hypertextencoding" = "host". */
void PDF_set_parameter(PDF* p, const char* key, const char* value);

/* Opens the PDF file `filename` (zero-terminated when len is 0, else its
 * first len bytes); optlist must be empty. Object scope. Returns 1, or -1. */
int PDF_begin_document(PDF* p, const char* filename, int len, const char* optlist);
/* Writes the document and closes its file; optlist must be empty. Document scope. */
void PDF_end_document(PDF* p, const char* optlist);

/* Document information: key "Creator", "Author", "Title", "Subject" or
 * "Keywords". Document or page scope. */
void PDF_set_info(PDF* p, const char* key, const char* value);

/* Loads a JPEG (imagetype "auto" or "jpeg"; the file must start with a JPEG
 * signature whatever its name) for embedding; optlist must be empty.
 * Document or page scope. Returns an image handle (>= 0), or -1. */
int PDF_load_image(PDF* p, const char* imagetype, const char* filename, int len,
                   const char* optlist);
/* Releases an image handle. Document or page scope. */
void PDF_close_image(PDF* p, int image);

/* Starts a page of width x height points; optlist must be empty. Document scope. */
void PDF_begin_page_ext(PDF* p, double width, double height, const char* optlist);
/* Ends the page; optlist must be empty. Page scope. */
void PDF_end_page_ext(PDF* p, const char* optlist);

/* Places the image with its lower left corner at (x, y), one point per
 * pixel. optlist: empty or "adjustpage" (the page becomes x + image width
 * by y + image height). Page scope. */
void PDF_fit_image(PDF* p, int image, double x, double y, const char* optlist);

/* The last failure: message, number and the name of the call ("" and 0 when none). */
const char* PDF_get_errmsg(PDF* p);
int PDF_get_errnum(PDF* p);
const char* PDF_get_apiname(PDF* p);

/* The exception frame behind PDF_TRY and PDF_CATCH. */
typedef struct {
    jmp_buf jbuf;
} pdf_jmpbuf;
/* Opens a try block on p and gives its jump buffer. */
pdf_jmpbuf* pdf_jbuf(PDF* p);
/* Closes the try block; non-zero when an exception was raised in it. */
int pdf_catch(PDF* p);

#define PDF_TRY(p) \
    if (p) {       \
        if (setjmp(pdf_jbuf(p)->jbuf) == 0)
#define PDF_CATCH(p) \
    }                \
    if (pdf_catch(p))

#ifdef __cplusplus
}
#endif

#endif /* SCRIVEL_PDF_PDFLIB_H */
