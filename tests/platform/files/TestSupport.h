// SPDX-License-Identifier: MIT
#pragma once

#include "PlatformError.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace velmora::test {

// The error number f throws, or 0 when it throws none.
int ErrorNumberOf(const std::function<void()>& f);

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& data);
// Names in folder starting with ".velmora-tmp-".
QStringList TemporaryFilesIn(const QString& folder);

bool IsRoot();

// A tmpfs of the given size mounted on a folder for the life of this object. Needs root;
// Mounted() is false when the mount was refused.
class TmpfsMount {
  public:
    TmpfsMount(const QString& folder, const QByteArray& size);
    ~TmpfsMount();
    bool Mounted() const { return mounted_; }
    bool MakeReadOnly();

  private:
    QByteArray folder_;
    QByteArray size_;
    bool mounted_ = false;
};

// Runs f without the power to ignore file permissions and gives back the error number it
// threw (0 for none), or -1 when that could not be arranged. As root, f runs in a child
// process as the user "nobody"; otherwise it simply runs.
int ErrorNumberWithoutPrivileges(const std::function<void()>& f);

} // namespace velmora::test
