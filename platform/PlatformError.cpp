// SPDX-License-Identifier: MIT
#include "PlatformError.h"

#include <utility>

namespace velmora {

QString ErrorDescription(int number) {
    switch (number) {
    case Err::OutOfMemory:
        return QStringLiteral("メモリが不足しています。");
    case Err::SubscriptOutOfRange:
        return QStringLiteral("インデックスが有効範囲にありません。");
    case Err::BadFileName:
        return QStringLiteral("ファイル名が不正です。");
    case Err::FileNotFound:
        return QStringLiteral("ファイルが見つかりません。");
    case Err::DeviceIO:
        return QStringLiteral("デバイス I/O エラーです。");
    case Err::FileAlreadyExists:
        return QStringLiteral("既に同名のファイルが存在します。");
    case Err::DiskFull:
        return QStringLiteral("ディスクの空き容量が不足しています。");
    case Err::InputPastEnd:
        return QStringLiteral("ファイルの終わりを越えて読み込もうとしました。");
    case Err::PermissionDenied:
        return QStringLiteral("書き込みまたは読み込みの権限がありません。");
    case Err::DiskNotReady:
        return QStringLiteral("ディスクの準備ができていません。");
    case Err::PathFileAccess:
        return QStringLiteral("パス名またはファイル名へのアクセスでエラーが発生しました。");
    case Err::PathNotFound:
        return QStringLiteral("パスが見つかりません。");
    case Err::InvalidPicture:
        return QStringLiteral("ピクチャが不正です。");
    case Err::NotSupported:
        return QStringLiteral("このデスクトップでは実行できない操作です。");
    default:
        return QStringLiteral("予期しないエラーが発生しました。");
    }
}

PlatformError::PlatformError(int number) : PlatformError(number, ErrorDescription(number)) {}

PlatformError::PlatformError(int number, QString description)
    : Number(number), Description(std::move(description)),
      utf8_(QString::number(number).toUtf8() + ':' + Description.toUtf8()) {}

const char* PlatformError::what() const noexcept {
    return utf8_.constData();
}

} // namespace velmora
