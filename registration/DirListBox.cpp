// SPDX-License-Identifier: MIT
#include "DirListBox.h"

#include "FolderPath.h"
#include "Platform.h"
#include "PlatformError.h"
#include "QtText.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace velmora {

namespace {

constexpr int kFolderRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;

// Moves each row in by its level, so the chain reads as a tree.
class IndentDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem moved(option);
        moved.rect.setLeft(option.rect.left() + Indent(index));
        QStyledItemDelegate::paint(painter, moved, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += Indent(index);
        return size;
    }

  private:
    static int Indent(const QModelIndex& index) {
        return index.data(kLevelRole).toInt() * kIndentPixels;
    }
};

QString RowText(const QString& folder, bool isRoot) {
    if (isRoot || folder == u'/')
        return folder;
    return folder.mid(folder.lastIndexOf(u'/') + 1);
}

} // namespace

DirListBox::DirListBox(Platform& platform, QWidget* parent)
    : QListWidget(parent), platform_(platform) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OpenRow(row(item)); });
}

void DirListBox::SetPath(const QString& folder) {
    const QString path = NormalFolder(folder);
    QString root;
    try {
        root = FromUtf8(platform_.DriveOf(ToUtf8(path)).Root);
    } catch (const PlatformError&) {
        root = QStringLiteral("/"); // outside every known volume: the chain starts at "/"
    }
    const QStringList subfolders = FromUtf8(platform_.ListSubfolders(ToUtf8(path)));

    const bool changed = path != path_;
    path_ = path;
    clear();
    const QStringList chain = FolderChain(root, path);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (int level = 0; level < chain.size(); ++level) {
        auto* item = new QListWidgetItem(open, RowText(chain[level], level == 0), this);
        item->setData(kFolderRole, chain[level]);
        item->setData(kLevelRole, level);
    }
    const QString prefix = path == u'/' ? path : path + u'/';
    for (const QString& name : subfolders) {
        auto* item = new QListWidgetItem(closed, name, this);
        item->setData(kFolderRole, prefix + name);
        item->setData(kLevelRole, static_cast<int>(chain.size()));
    }
    setCurrentRow(static_cast<int>(chain.size()) - 1);
    if (changed)
        Q_EMIT Change();
}

QString DirListBox::FolderAt(int row) const {
    const QListWidgetItem* it = item(row);
    return it == nullptr ? QString() : it->data(kFolderRole).toString();
}

void DirListBox::OpenRow(int row) {
    const QString folder = FolderAt(row);
    if (folder.isEmpty())
        return;
    try {
        SetPath(folder);
    } catch (const PlatformError& error) {
        Q_EMIT OpenFailed(error.Number, FromUtf8(error.Description));
    }
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OpenRow(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace velmora
