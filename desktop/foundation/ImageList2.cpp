#include "desktop/foundation/ImageList2.h"

#include "desktop/foundation/ThemeIcons.h"

#include <array>

namespace {

// The freedesktop icon name of each position, by what the windows show there.
constexpr std::array<const char*, kImageList2Count> kNames = {
    "document-open-recent", // 0
    "document-open", // 1
    "document-properties", // 2: contact and properties of a call
    "accessories-text-editor", // 3: notes
    "edit-delete", // 4
    "document-save", // 5
    "edit-copy", // 6
    "go-down", // 7: next call
    "go-up", // 8: previous call
    "x-office-address-book", // 9: contacts
    "preferences-system-notifications", // 10: incoming-call events
    "preferences-desktop-remote-desktop", // 11: remote access
    "preferences-system", // 12: properties
    "system-search", // 13: search
    "document-print", // 14
    "call-start", // 15: line on
    "call-stop", // 16: line off
    "input-dialpad", // 17: dialer
    "mail-forward", // 18: forwarding
    "mail-send", // 19
    "media-record", // 20
    "media-playback-start", // 21
    "audio-volume-high", // 22
    "help-contents", // 23: help
    "web-browser", // 24: web page
};

} // namespace

QString ImageList2Name(int position)
{
    if (position < 0 || position >= kImageList2Count)
        return {};
    return QString::fromLatin1(kNames[std::size_t(position)]);
}

const QList<QIcon>& vbalImageList2()
{
    static const QList<QIcon> images = [] {
        QList<QIcon> list;
        for (int position = 0; position < kImageList2Count; ++position)
            list << ThemeIcon(ImageList2Name(position));
        return list;
    }();
    return images;
}
