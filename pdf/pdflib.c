/* The PDF layer on libharu: see pdflib.h for the contract. */
#include "pdf/pdflib.h"

#include "pdf/jpegcheck.h"

#include <hpdf.h>

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum pdf_scope { PDF_SCOPE_OBJECT, PDF_SCOPE_DOCUMENT, PDF_SCOPE_PAGE };

struct pdf_image {
    HPDF_Image image;
    int open;
};

struct PDF_s {
    pdf_jmpbuf frame;
    int in_try;      /* a try block is open: exceptions jump to frame */
    int raised;      /* an exception left the open try block */
    int broken;      /* an exception was raised outside a try block */
    int policy_return;

    enum pdf_scope scope;
    HPDF_Doc doc;
    HPDF_Page page;
    int page_count;
    FILE* out;
    char* out_path;
    int out_regular; /* the output is a regular file (removed on failure) */

    struct pdf_image* images;
    int image_count;

    char** search_path;
    int search_count;

    /* Strings made for the call in progress; an exception may leave the
     * call at any point, so they are freed by the next call or PDF_delete. */
    char* call_name;
    char* call_path;

    HPDF_STATUS hpdf_error, hpdf_detail;
    int errnum;
    char apiname[48];
    char errmsg[1024];
};

static const char* const kScopeNames[] = {"object", "document", "page"};

/* ---- failures ------------------------------------------------------------ */

static void pdf_record(PDF* p, const char* api, int errnum, const char* format, va_list args) {
    p->errnum = errnum;
    snprintf(p->apiname, sizeof p->apiname, "%s", api);
    vsnprintf(p->errmsg, sizeof p->errmsg, format, args);
}

/* Raises an exception: jumps to the open try block, or breaks the object
 * and returns when there is none. */
static void pdf_raise(PDF* p, const char* api, int errnum, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
static void pdf_raise(PDF* p, const char* api, int errnum, const char* format, ...) {
    va_list args;
    va_start(args, format);
    pdf_record(p, api, errnum, format, args);
    va_end(args);
    if (p->in_try) {
        p->in_try = 0;
        p->raised = 1;
        longjmp(p->frame.jbuf, 1);
    }
    p->broken = 1;
}

/* A failure of a call that returns -1 under errorpolicy "return". */
static int pdf_fail(PDF* p, const char* api, int errnum, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
static int pdf_fail(PDF* p, const char* api, int errnum, const char* format, ...) {
    va_list args;
    va_start(args, format);
    pdf_record(p, api, errnum, format, args);
    va_end(args);
    if (p->policy_return) return -1;
    if (p->in_try) {
        p->in_try = 0;
        p->raised = 1;
        longjmp(p->frame.jbuf, 1);
    }
    p->broken = 1;
    return -1;
}

static void HPDF_STDCALL pdf_on_hpdf_error(HPDF_STATUS error_no, HPDF_STATUS detail_no,
                                           void* user_data) {
    PDF* p = (PDF*)user_data;
    p->hpdf_error = error_no;
    p->hpdf_detail = detail_no;
}

static const char* pdf_hpdf_text(HPDF_STATUS error) {
    switch (error) {
        case HPDF_FAILD_TO_ALLOC_MEM: return "out of memory";
        case HPDF_FILE_IO_ERROR: return "file input or output failed";
        case HPDF_FILE_OPEN_ERROR: return "a file could not be opened";
        case HPDF_INVALID_IMAGE: return "invalid image";
        case HPDF_INVALID_JPEG_DATA: return "invalid JPEG data";
        case HPDF_UNSUPPORTED_JPEG_FORMAT: return "unsupported JPEG format";
        case HPDF_PAGE_INVALID_SIZE: return "invalid page size";
        default: return "libharu error";
    }
}

/* Takes libharu's pending error (and clears it) for a message. */
static HPDF_STATUS pdf_take_hpdf_error(PDF* p) {
    HPDF_STATUS error = p->hpdf_error;
    if (error == HPDF_OK && p->doc != NULL) error = HPDF_GetError(p->doc);
    if (p->doc != NULL) HPDF_ResetError(p->doc);
    p->hpdf_error = HPDF_OK;
    p->hpdf_detail = HPDF_OK;
    return error;
}

static void pdf_drop_call_strings(PDF* p) {
    free(p->call_name);
    p->call_name = NULL;
    free(p->call_path);
    p->call_path = NULL;
}

/* Common entry check: object usable and the call allowed in this scope. */
static int pdf_enter(PDF* p, const char* api, unsigned scopes) {
    if (p == NULL || p->broken) return 0;
    pdf_drop_call_strings(p);
    if ((scopes & (1u << p->scope)) == 0) {
        pdf_raise(p, api, PDF_E_SCOPE, "Function must not be called in '%s' scope",
                  kScopeNames[p->scope]);
        return 0;
    }
    return 1;
}

#define SCOPE(s) (1u << (s))

static int pdf_optlist_empty(const char* optlist) {
    if (optlist == NULL) return 1;
    for (; *optlist; ++optlist)
        if (*optlist != ' ' && *optlist != '\t' && *optlist != '\n' && *optlist != '\r') return 0;
    return 1;
}

static char* pdf_name(const char* text, int len) {
    if (text == NULL) return NULL;
    size_t size = len > 0 ? (size_t)len : strlen(text);
    char* copy = malloc(size + 1);
    if (copy == NULL) return NULL;
    memcpy(copy, text, size);
    copy[size] = '\0';
    return copy;
}

/* ---- objects ------------------------------------------------------------- */

PDF* PDF_new(void) {
    PDF* p = calloc(1, sizeof *p);
    return p;
}

/* Drops the open document: libharu's document, the output file (removed
 * when it is a regular file) and the images. Back to object scope. */
static void pdf_discard_document(PDF* p) {
    if (p->out != NULL) {
        fclose(p->out);
        p->out = NULL;
        if (p->out_regular && p->out_path != NULL) unlink(p->out_path);
    }
    free(p->out_path);
    p->out_path = NULL;
    if (p->doc != NULL) HPDF_Free(p->doc);
    p->doc = NULL;
    p->page = NULL;
    p->page_count = 0;
    free(p->images);
    p->images = NULL;
    p->image_count = 0;
    p->scope = PDF_SCOPE_OBJECT;
}

void PDF_delete(PDF* p) {
    if (p == NULL) return;
    pdf_discard_document(p);
    pdf_drop_call_strings(p);
    for (int i = 0; i < p->search_count; ++i) free(p->search_path[i]);
    free(p->search_path);
    free(p);
}

void PDF_set_parameter(PDF* p, const char* key, const char* value) {
    static const char api[] = "PDF_set_parameter";
    if (!pdf_enter(p, api, SCOPE(PDF_SCOPE_OBJECT) | SCOPE(PDF_SCOPE_DOCUMENT) | SCOPE(PDF_SCOPE_PAGE)))
        return;
    if (key == NULL || value == NULL) {
        pdf_raise(p, api, PDF_E_PARAMETER, "Parameter name or value missing");
        return;
    }
    if (strcmp(key, "errorpolicy") == 0) {
        if (strcmp(value, "return") == 0) p->policy_return = 1;
        else if (strcmp(value, "exception") == 0) p->policy_return = 0;
        else pdf_raise(p, api, PDF_E_PARAMETER, "Unknown value '%s' for parameter 'errorpolicy'", value);
    } else if (strcmp(key, "SearchPath") == 0) {
        char** grown = realloc(p->search_path, (size_t)(p->search_count + 1) * sizeof *grown);
        char* copy = pdf_name(value, 0);
        if (grown == NULL || copy == NULL) {
            if (grown != NULL) p->search_path = grown;
            free(copy);
            pdf_raise(p, api, PDF_E_MEMORY, "Out of memory");
            return;
        }
        p->search_path = grown;
        p->search_path[p->search_count++] = copy;
    } else if (strcmp(key, "hypertextencoding") == 0) {
        /* Strings go to libharu as they come: the host encoding. */
        if (strcmp(value, "host") != 0)
            pdf_raise(p, api, PDF_E_PARAMETER, "Unsupported value '%s' for parameter 'hypertextencoding'",
                      value);
    } else {
        pdf_raise(p, api, PDF_E_PARAMETER, "Unknown parameter '%s'", key);
    }
}

/* ---- documents ----------------------------------------------------------- */

int PDF_begin_document(PDF* p, const char* filename, int len, const char* optlist) {
    static const char api[] = "PDF_begin_document";
    if (!pdf_enter(p, api, SCOPE(PDF_SCOPE_OBJECT))) return -1;
    if (!pdf_optlist_empty(optlist))
        return pdf_fail(p, api, PDF_E_OPTION, "Unsupported option list '%s'", optlist);
    char* name = p->call_name = pdf_name(filename, len);
    if (filename != NULL && name == NULL) return pdf_fail(p, api, PDF_E_MEMORY, "Out of memory");
    if (name == NULL || name[0] == '\0')
        return pdf_fail(p, api, PDF_E_FILE_WRITE, "Empty PDF file name (in-memory output is not supported)");
    FILE* out = fopen(name, "wb");
    if (out == NULL) {
        const int error = errno;
        return pdf_fail(p, api, PDF_E_FILE_WRITE, "Couldn't open PDF file '%s' for writing (%s)", name,
                        strerror(error));
    }
    p->call_name = NULL; /* the document's path from here on */
    struct stat info;
    p->out = out;
    p->out_path = name;
    p->out_regular = fstat(fileno(out), &info) == 0 && S_ISREG(info.st_mode);
    p->doc = HPDF_New(pdf_on_hpdf_error, p);
    if (p->doc == NULL) {
        pdf_discard_document(p);
        return pdf_fail(p, api, PDF_E_MEMORY, "Out of memory");
    }
    HPDF_SetCompressionMode(p->doc, HPDF_COMP_ALL);
    p->scope = PDF_SCOPE_DOCUMENT;
    return 1;
}

/* Writes libharu's document into the output file; 0 and errno on failure. */
static int pdf_write_out(PDF* p, HPDF_STATUS* hpdf_error) {
    *hpdf_error = HPDF_OK;
    if (HPDF_SaveToStream(p->doc) != HPDF_OK) {
        *hpdf_error = pdf_take_hpdf_error(p);
        errno = 0;
        return 0;
    }
    HPDF_ResetStream(p->doc);
    const HPDF_UINT32 total = HPDF_GetStreamSize(p->doc);
    HPDF_BYTE buffer[65536];
    HPDF_UINT32 done = 0;
    while (done < total) {
        HPDF_UINT32 size = sizeof buffer;
        const HPDF_STATUS status = HPDF_ReadFromStream(p->doc, buffer, &size);
        if (status != HPDF_OK && status != HPDF_STREAM_EOF) {
            *hpdf_error = pdf_take_hpdf_error(p);
            errno = 0;
            return 0;
        }
        if (size == 0) break;
        if (fwrite(buffer, 1, size, p->out) != size) return 0;
        done += size;
        if (status == HPDF_STREAM_EOF) break;
    }
    pdf_take_hpdf_error(p); /* the end of the stream counts as an error in libharu */
    if (done != total) {
        errno = EIO;
        return 0;
    }
    if (fflush(p->out) != 0) return 0;
    FILE* out = p->out;
    p->out = NULL;
    if (fclose(out) != 0) {
        /* Closed but not complete: remove it as an unfinished file. */
        if (p->out_regular) unlink(p->out_path);
        return 0;
    }
    return 1;
}

void PDF_end_document(PDF* p, const char* optlist) {
    static const char api[] = "PDF_end_document";
    if (!pdf_enter(p, api, SCOPE(PDF_SCOPE_DOCUMENT))) return;
    if (!pdf_optlist_empty(optlist)) {
        pdf_raise(p, api, PDF_E_OPTION, "Unsupported option list '%s'", optlist);
        return;
    }
    if (p->page_count == 0) {
        pdf_discard_document(p);
        pdf_raise(p, api, PDF_E_NO_PAGES, "Document doesn't contain any pages");
        return;
    }
    HPDF_STATUS hpdf_error;
    if (!pdf_write_out(p, &hpdf_error)) {
        const int error = errno;
        char path[512];
        snprintf(path, sizeof path, "%s", p->out_path);
        pdf_discard_document(p);
        if (hpdf_error != HPDF_OK)
            pdf_raise(p, api, PDF_E_BACKEND, "Couldn't produce PDF file '%s' (%s, libharu error 0x%04X)",
                      path, pdf_hpdf_text(hpdf_error), (unsigned)hpdf_error);
        else
            pdf_raise(p, api, PDF_E_FILE_WRITE, "Couldn't write PDF file '%s' (%s)", path,
                      strerror(error != 0 ? error : EIO));
        return;
    }
    /* Written: keep the file. */
    free(p->out_path);
    p->out_path = NULL;
    pdf_discard_document(p);
}

void PDF_set_info(PDF* p, const char* key, const char* value) {
    static const char api[] = "PDF_set_info";
    static const struct {
        const char* key;
        HPDF_InfoType type;
    } kKeys[] = {{"Creator", HPDF_INFO_CREATOR},
                 {"Author", HPDF_INFO_AUTHOR},
                 {"Title", HPDF_INFO_TITLE},
                 {"Subject", HPDF_INFO_SUBJECT},
                 {"Keywords", HPDF_INFO_KEYWORDS}};
    if (!pdf_enter(p, api, SCOPE(PDF_SCOPE_DOCUMENT) | SCOPE(PDF_SCOPE_PAGE))) return;
    if (key == NULL || value == NULL) {
        pdf_raise(p, api, PDF_E_PARAMETER, "Info key or value missing");
        return;
    }
    for (size_t i = 0; i < sizeof kKeys / sizeof kKeys[0]; ++i) {
        if (strcmp(key, kKeys[i].key) != 0) continue;
        if (HPDF_SetInfoAttr(p->doc, kKeys[i].type, value) != HPDF_OK) {
            const HPDF_STATUS error = pdf_take_hpdf_error(p);
            pdf_raise(p, api, PDF_E_BACKEND, "Couldn't set document info '%s' (%s, libharu error 0x%04X)",
                      key, pdf_hpdf_text(error), (unsigned)error);
        }
        return;
    }
    pdf_raise(p, api, PDF_E_PARAMETER, "Unknown document info key '%s'", key);
}

/* ---- images -------------------------------------------------------------- */

/* Opens `name` for reading, trying the search path for a relative name that
 * isn't found as given. Gives the opened file and the path that worked. */
static FILE* pdf_open_image(PDF* p, const char* name, char** found) {
    *found = NULL;
    FILE* file = fopen(name, "rb");
    int error = errno;
    if (file != NULL) {
        *found = pdf_name(name, 0);
        if (*found == NULL) {
            fclose(file);
            errno = ENOMEM;
            return NULL;
        }
        return file;
    }
    if (name[0] != '/') {
        for (int i = 0; i < p->search_count; ++i) {
            const size_t size = strlen(p->search_path[i]) + 1 + strlen(name) + 1;
            char* path = malloc(size);
            if (path == NULL) break;
            snprintf(path, size, "%s/%s", p->search_path[i], name);
            file = fopen(path, "rb");
            if (file != NULL) {
                *found = path;
                return file;
            }
            free(path);
        }
    }
    errno = error;
    return NULL;
}

int PDF_load_image(PDF* p, const char* imagetype, const char* filename, int len,
                   const char* optlist) {
    static const char api[] = "PDF_load_image";
    if (!pdf_enter(p, api, SCOPE(PDF_SCOPE_DOCUMENT) | SCOPE(PDF_SCOPE_PAGE))) return -1;
    if (imagetype == NULL || (strcmp(imagetype, "auto") != 0 && strcmp(imagetype, "jpeg") != 0))
        return pdf_fail(p, api, PDF_E_IMAGE_FORMAT, "Unsupported image type '%s'",
                        imagetype != NULL ? imagetype : "");
    if (!pdf_optlist_empty(optlist))
        return pdf_fail(p, api, PDF_E_OPTION, "Unsupported option list '%s'", optlist);
    const char* name = p->call_name = pdf_name(filename, len);
    if (filename != NULL && name == NULL) return pdf_fail(p, api, PDF_E_MEMORY, "Out of memory");
    if (name == NULL || name[0] == '\0') return pdf_fail(p, api, PDF_E_IMAGE_READ, "Empty image file name");

    FILE* file = pdf_open_image(p, name, &p->call_path);
    if (file == NULL) {
        const int error = errno;
        return pdf_fail(p, api, PDF_E_IMAGE_READ, "Couldn't open image file '%s' for reading (%s)", name,
                        strerror(error));
    }
    /* libharu takes any file it is given for a JPEG and reads whatever
     * header it finds: check the file's structure first. */
    int is_jpeg = 0;
    const char* problem = pdf_jpeg_problem(file, &is_jpeg);
    fclose(file);
    if (problem != NULL && !is_jpeg)
        return pdf_fail(p, api, PDF_E_IMAGE_FORMAT, "Image file '%s' is not a JPEG file", name);
    if (problem != NULL)
        return pdf_fail(p, api, PDF_E_IMAGE_FORMAT, "Image file '%s' is not a usable JPEG file (it %s)", name,
                        problem);

    struct pdf_image* grown = realloc(p->images, (size_t)(p->image_count + 1) * sizeof *grown);
    if (grown == NULL) return pdf_fail(p, api, PDF_E_MEMORY, "Out of memory");
    p->images = grown;
    HPDF_Image image = HPDF_LoadJpegImageFromFile(p->doc, p->call_path);
    if (image == NULL) {
        const HPDF_STATUS error = pdf_take_hpdf_error(p);
        return pdf_fail(p, api, PDF_E_IMAGE_FORMAT, "Couldn't read JPEG file '%s' (%s, libharu error 0x%04X)",
                        name, pdf_hpdf_text(error), (unsigned)error);
    }
    p->images[p->image_count].image = image;
    p->images[p->image_count].open = 1;
    return p->image_count++;
}

static struct pdf_image* pdf_image_of(PDF* p, const char* api, int image) {
    if (image < 0 || image >= p->image_count || !p->images[image].open) {
        pdf_raise(p, api, PDF_E_IMAGE_HANDLE, "Invalid image handle %d", image);
        return NULL;
    }
    return &p->images[image];
}

void PDF_close_image(PDF* p, int image) {
    static const char api[] = "PDF_close_image";
    if (!pdf_enter(p, api, SCOPE(PDF_SCOPE_DOCUMENT) | SCOPE(PDF_SCOPE_PAGE))) return;
    struct pdf_image* entry = pdf_image_of(p, api, image);
    /* libharu keeps the picture in the document until it is written. */
    if (entry != NULL) entry->open = 0;
}

/* ---- pages --------------------------------------------------------------- */

static int pdf_page_size_ok(double width, double height) {
    return width >= HPDF_MIN_PAGE_WIDTH && width <= HPDF_MAX_PAGE_WIDTH &&
           height >= HPDF_MIN_PAGE_HEIGHT && height <= HPDF_MAX_PAGE_HEIGHT;
}

static void pdf_set_page_size(PDF* p, const char* api, double width, double height) {
    if (HPDF_Page_SetWidth(p->page, (HPDF_REAL)width) != HPDF_OK ||
        HPDF_Page_SetHeight(p->page, (HPDF_REAL)height) != HPDF_OK) {
        const HPDF_STATUS error = pdf_take_hpdf_error(p);
        pdf_raise(p, api, PDF_E_BACKEND, "Couldn't set the page size (%s, libharu error 0x%04X)",
                  pdf_hpdf_text(error), (unsigned)error);
    }
}

void PDF_begin_page_ext(PDF* p, double width, double height, const char* optlist) {
    static const char api[] = "PDF_begin_page_ext";
    if (!pdf_enter(p, api, SCOPE(PDF_SCOPE_DOCUMENT))) return;
    if (!pdf_optlist_empty(optlist)) {
        pdf_raise(p, api, PDF_E_OPTION, "Unsupported option list '%s'", optlist);
        return;
    }
    if (!pdf_page_size_ok(width, height)) {
        pdf_raise(p, api, PDF_E_PAGE_SIZE, "Page size %g x %g is outside %d to %d points", width, height,
                  HPDF_MIN_PAGE_SIZE, HPDF_MAX_PAGE_SIZE);
        return;
    }
    p->page = HPDF_AddPage(p->doc);
    if (p->page == NULL) {
        const HPDF_STATUS error = pdf_take_hpdf_error(p);
        pdf_raise(p, api, PDF_E_BACKEND, "Couldn't add a page (%s, libharu error 0x%04X)",
                  pdf_hpdf_text(error), (unsigned)error);
        return;
    }
    p->scope = PDF_SCOPE_PAGE;
    ++p->page_count;
    pdf_set_page_size(p, api, width, height);
}

void PDF_end_page_ext(PDF* p, const char* optlist) {
    static const char api[] = "PDF_end_page_ext";
    if (!pdf_enter(p, api, SCOPE(PDF_SCOPE_PAGE))) return;
    if (!pdf_optlist_empty(optlist)) {
        pdf_raise(p, api, PDF_E_OPTION, "Unsupported option list '%s'", optlist);
        return;
    }
    p->page = NULL;
    p->scope = PDF_SCOPE_DOCUMENT;
}

/* Reads the option list of PDF_fit_image: only the keyword "adjustpage". */
static int pdf_fit_options(PDF* p, const char* api, const char* optlist, int* adjustpage) {
    *adjustpage = 0;
    const char* at = optlist != NULL ? optlist : "";
    while (*at != '\0') {
        while (*at == ' ' || *at == '\t' || *at == '\n' || *at == '\r') ++at;
        if (*at == '\0') break;
        const char* end = at;
        while (*end != '\0' && *end != ' ' && *end != '\t' && *end != '\n' && *end != '\r') ++end;
        const size_t size = (size_t)(end - at);
        if (size == strlen("adjustpage") && strncmp(at, "adjustpage", size) == 0) {
            *adjustpage = 1;
        } else {
            pdf_raise(p, api, PDF_E_OPTION, "Unknown option '%.*s'", (int)size, at);
            return 0;
        }
        at = end;
    }
    return 1;
}

void PDF_fit_image(PDF* p, int image, double x, double y, const char* optlist) {
    static const char api[] = "PDF_fit_image";
    if (!pdf_enter(p, api, SCOPE(PDF_SCOPE_PAGE))) return;
    struct pdf_image* entry = pdf_image_of(p, api, image);
    if (entry == NULL) return;
    int adjustpage;
    if (!pdf_fit_options(p, api, optlist, &adjustpage)) return;
    const double width = HPDF_Image_GetWidth(entry->image);
    const double height = HPDF_Image_GetHeight(entry->image);
    if (adjustpage) {
        if (!pdf_page_size_ok(x + width, y + height)) {
            pdf_raise(p, api, PDF_E_PAGE_SIZE, "Page size %g x %g is outside %d to %d points", x + width,
                      y + height, HPDF_MIN_PAGE_SIZE, HPDF_MAX_PAGE_SIZE);
            return;
        }
        pdf_set_page_size(p, api, x + width, y + height);
        if (p->broken) return;
    }
    if (HPDF_Page_DrawImage(p->page, entry->image, (HPDF_REAL)x, (HPDF_REAL)y, (HPDF_REAL)width,
                            (HPDF_REAL)height) != HPDF_OK) {
        const HPDF_STATUS error = pdf_take_hpdf_error(p);
        pdf_raise(p, api, PDF_E_BACKEND, "Couldn't place the image (%s, libharu error 0x%04X)",
                  pdf_hpdf_text(error), (unsigned)error);
    }
}

/* ---- errors and the exception frame --------------------------------------- */

const char* PDF_get_errmsg(PDF* p) { return p != NULL ? p->errmsg : ""; }
int PDF_get_errnum(PDF* p) { return p != NULL ? p->errnum : 0; }
const char* PDF_get_apiname(PDF* p) { return p != NULL ? p->apiname : ""; }

pdf_jmpbuf* pdf_jbuf(PDF* p) {
    p->in_try = 1;
    p->raised = 0;
    return &p->frame;
}

int pdf_catch(PDF* p) {
    if (p == NULL) return 0;
    const int raised = p->raised;
    p->in_try = 0;
    p->raised = 0;
    return raised;
}
