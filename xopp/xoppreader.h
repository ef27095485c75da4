#pragma once
// Reads a .xopp document back (gzip-compressed or plain XML): the pages,
// their size, background colour and extra attributes, strokes and images of
// every layer. Elements it does not know (text, LaTeX, audio) are skipped.
//
// A truncated or damaged file gives what could be read before the damage,
// with `complete` false.

#include <QByteArray>
#include <QString>

#include "xopp/xoppdocument.h"

struct XoppReadResult {
  XoppDocument doc;
  bool complete = false;
  QString error;  // why it is not complete
};

XoppReadResult ReadXoppBytes(const QByteArray& bytes);
XoppReadResult ReadXopp(const QString& path);
