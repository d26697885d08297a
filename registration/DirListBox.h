// SPDX-License-Identifier: MIT
#pragma once

#include <QListWidget>

namespace velmora {

class Platform;

// A folder list in the classic manner: the open folders from the volume's root down to the
// current folder, each one step further in, then the current folder's subfolders. A
// double-click or Enter opens a folder; a single click only marks it.
class DirListBox : public QListWidget {
    Q_OBJECT
  public:
    DirListBox(Platform& platform, QWidget* parent = nullptr);

    // The current folder, without a trailing separator except for "/".
    QString Path() const { return path_; }
    // Shows folder. Throws PlatformError when it cannot be listed; the list stays as it was.
    // Raises Change when the folder differs from the former one.
    void SetPath(const QString& folder);

    // The folder a row stands for.
    QString FolderAt(int row) const;
    // Opens the folder of a row, as a double-click does.
    void OpenRow(int row);

  Q_SIGNALS:
    void Change();
    // A folder the user opened could not be listed; the list stays where it was.
    void OpenFailed(int number, const QString& description);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Platform& platform_;
    QString path_;
};

} // namespace velmora
