#pragma once
// The small information window shown while the update downloads: caption
// "Scrivel", the language text 10011 and how far the download has come.

#include <QDialog>

class QLabel;

class CUpDataInfo : public QDialog {
  Q_OBJECT

 public:
  explicit CUpDataInfo(const QString& text, QWidget* parent = nullptr);
  // "File i of n".
  void ShowProgress(size_t done, size_t total);

 private:
  QLabel* m_text;
  QLabel* m_progress;
};
