/* The structure check of a JPEG file before libharu embeds it. */
#include "pdf/jpegcheck.h"

static int read_u16(FILE* file) {
    const int hi = fgetc(file);
    const int lo = fgetc(file);
    return hi == EOF || lo == EOF ? -1 : (hi << 8) | lo;
}

const char* pdf_jpeg_problem(FILE* file, int* is_jpeg) {
    *is_jpeg = 0;
    unsigned char signature[3] = {0, 0, 0};
    if (fread(signature, 1, sizeof signature, file) != sizeof signature || signature[0] != 0xFF ||
        signature[1] != 0xD8 || signature[2] != 0xFF)
        return "is not a JPEG file";
    *is_jpeg = 1;
    int frame = 0;
    int marker = 0xFF; /* the first marker's 0xFF has been read */
    for (;;) {
        if (marker == EOF) return frame ? "ends before its picture data" : "ends before its frame header";
        if (marker != 0xFF) return "has a damaged marker structure";
        do marker = fgetc(file); while (marker == 0xFF);
        if (marker == EOF) return frame ? "ends before its picture data" : "ends before its frame header";
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) { /* markers without a segment */
            marker = fgetc(file);
            continue;
        }
        if (marker == 0xD9) return "ends before its picture data";
        const int length = read_u16(file);
        if (length < 0) return frame ? "ends before its picture data" : "ends before its frame header";
        if (length < 2) return "has a damaged marker structure";
        if (marker == 0xDA) return frame ? NULL : "has no frame header before its picture data";
        long skip = length - 2;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (marker > 0xC2) return "uses a JPEG coding that PDF viewers can't show";
            if (length < 8) return "has a damaged frame header";
            const int precision = fgetc(file);
            const int height = read_u16(file);
            const int width = read_u16(file);
            const int components = fgetc(file);
            if (precision == EOF || height < 0 || width < 0 || components == EOF)
                return "ends before its frame header";
            if (height == 0 || width == 0) return "has no picture size in its frame header";
            if (components != 1 && components != 3 && components != 4)
                return "has an unsupported number of colour components";
            frame = 1;
            skip -= 6;
        }
        if (skip > 0 && fseek(file, skip, SEEK_CUR) != 0) return "ends before its picture data";
        marker = fgetc(file);
    }
}
