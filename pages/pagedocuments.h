#pragma once
// The documents of a download, beside its page pictures in the same folder and
// named after it: "<folder>.pdf" and "<folder>.xopp" (Xournal++), each holding
// every page at the sheet's true size. Both are written whole or not at all
// (a temporary file renamed over the old one and flushed to disk).

#include <QString>
#include <QStringList>

#include <vector>

#include "pages/downloadedpage.h"

// folder + "/" + the folder's own name + "." + suffix.
QString PageDocumentPath(const QString& folder, const QString& suffix);

// Writes both documents of `pages` into `folder` and flushes them; one
// "<file>: <reason>" line for each document that could not be written.
QStringList SavePageDocuments(const QString& folder, const std::vector<DownloadedPage>& pages);
