// SPDX-License-Identifier: MIT
#include "PlatformError.h"

#include <utility>

namespace velmora {

std::string ErrorDescription(int number) {
    switch (number) {
    case Err::OutOfMemory:
        return "メモリが不足しています。";
    case Err::SubscriptOutOfRange:
        return "インデックスが有効範囲にありません。";
    case Err::BadFileName:
        return "ファイル名が不正です。";
    case Err::FileNotFound:
        return "ファイルが見つかりません。";
    case Err::DeviceIO:
        return "デバイス I/O エラーです。";
    case Err::FileAlreadyExists:
        return "既に同名のファイルが存在します。";
    case Err::DiskFull:
        return "ディスクの空き容量が不足しています。";
    case Err::InputPastEnd:
        return "ファイルの終わりを越えて読み込もうとしました。";
    case Err::PermissionDenied:
        return "書き込みまたは読み込みの権限がありません。";
    case Err::DiskNotReady:
        return "ディスクの準備ができていません。";
    case Err::PathFileAccess:
        return "パス名またはファイル名へのアクセスでエラーが発生しました。";
    case Err::PathNotFound:
        return "パスが見つかりません。";
    case Err::InvalidPicture:
        return "ピクチャが不正です。";
    case Err::NotSupported:
        return "このデスクトップでは実行できない操作です。";
    default:
        return "予期しないエラーが発生しました。";
    }
}

PlatformError::PlatformError(int number) : PlatformError(number, ErrorDescription(number)) {}

PlatformError::PlatformError(int number, std::string description)
    : Number(number), Description(std::move(description)),
      report_(std::to_string(number) + ':' + Description) {}

const char* PlatformError::what() const noexcept {
    return report_.c_str();
}

} // namespace velmora
