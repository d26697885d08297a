// SPDX-License-Identifier: MIT
#include "RegistrationRules.h"

#include "ListFileFormat.h"
#include "SystemServices.h"

namespace velmora {

namespace {

// Reads the characters of two pieces of UTF-8 as one text, letter case folded.
class FoldedChars {
  public:
    FoldedChars(std::string_view first, std::string_view second) : parts_{first, second} {}

    // The next character, or -1 at the end. Bytes that are no UTF-8 come one by one.
    long Next() {
        while (part_ < 2 && pos_ >= parts_[part_].size()) {
            ++part_;
            pos_ = 0;
        }
        if (part_ == 2)
            return -1;
        const std::string_view s = parts_[part_];
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
        const unsigned char c = byte(pos_);
        // Full-width Latin letters are three bytes: EF BC A1-BA (A-Z) and EF BD 81-9A (a-z).
        if (c == 0xEF && pos_ + 2 < s.size() &&
            (byte(pos_ + 1) == 0xBC || byte(pos_ + 1) == 0xBD) && (byte(pos_ + 2) & 0xC0) == 0x80) {
            const long code = (long(c & 0x0F) << 12) | (long(byte(pos_ + 1) & 0x3F) << 6) |
                              long(byte(pos_ + 2) & 0x3F);
            pos_ += 3;
            if (code >= 0xFF41 && code <= 0xFF5A)
                return code - 0xFF41 + 0xFF21;
            return code;
        }
        ++pos_;
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 'A';
        return c;
    }

  private:
    std::string_view parts_[2];
    int part_ = 0;
    std::size_t pos_ = 0;
};

// Whether a1 followed by a2 equals b1 followed by b2 with case folded, without joining them:
// the scan runs over the whole list for every picture.
bool EqualFolded(std::string_view a1, std::string_view a2, std::string_view b1,
                 std::string_view b2) {
    if (a1.size() + a2.size() != b1.size() + b2.size())
        return false; // folding keeps every character's length
    FoldedChars a(a1, a2);
    FoldedChars b(b1, b2);
    for (;;) {
        const long x = a.Next();
        if (x != b.Next())
            return false;
        if (x < 0)
            return true;
    }
}

} // namespace

std::string WithSeparator(const std::string& folder) {
    return folder.ends_with(PathSeparator()) ? folder : folder + std::string(PathSeparator());
}

Conflict FindConflict(const KabegamiEntries& list, std::string_view folder, std::string_view name,
                      bool nameTest) {
    for (const KabegamiEntryView entry : list) {
        if (EqualFolded(entry.Folder, entry.FileName, folder, name))
            return Conflict::AlreadyRegistered;
        if (nameTest && EqualFolded(entry.FileName, {}, name, {}))
            return Conflict::NameTaken;
    }
    return Conflict::None;
}

std::string AlreadyRegisteredMessage(const std::string& name) {
    return name + "は既に登録されています";
}

std::string AlreadyRegisteredTitle() {
    return "二重登録です";
}

std::string NameTakenMessage(const std::string& name) {
    return name + "が登録済みリストに存在するためコピーできません";
}

std::string NotStorableMessage(const std::string& name) {
    return name + "は登録済みリストに保存できない文字を名前に含むため登録できません";
}

std::string UnstorableName(const std::string& folder, const std::string& name,
                           const std::string& ownPath) {
    // A replacement character stands for bytes that were no valid text in a name: written
    // back, it would name another file.
    const auto storable = [](const std::string& text) {
        return IsStorableField(text) && text.find("\xEF\xBF\xBD") == std::string::npos;
    };
    if (!storable(folder))
        return folder;
    if (!storable(name))
        return name;
    return storable(ownPath) ? std::string() : ownPath;
}

std::string CannotRegisterTitle() {
    return "登録できません";
}

std::string RegisteringProgress(int current, int total) {
    return "登録中 " + std::to_string(current) + " / " + std::to_string(total);
}

KabegamiEntries WithoutSelected(const KabegamiEntries& backup, const std::vector<bool>& selected) {
    KabegamiEntries kept;
    for (std::size_t i = 0; i < backup.size(); ++i) {
        if (i >= selected.size() || !selected[i])
            kept.push_back(backup[i]);
    }
    return kept;
}

bool LiesInside(const std::string& resolvedPath, const std::string& resolvedFolder) {
    if (resolvedFolder.empty())
        return false;
    const std::string prefix = WithSeparator(resolvedFolder);
    return resolvedPath.size() > prefix.size() && resolvedPath.starts_with(prefix);
}

std::string_view FileNameOf(std::string_view path) {
    const std::size_t cut = path.rfind(PathSeparator());
    return cut == std::string_view::npos ? path : path.substr(cut + PathSeparator().size());
}

} // namespace velmora
