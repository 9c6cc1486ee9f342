// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Trash.h"

#include <gio/gio.h>

namespace {
// Owns one GObject reference.
template <typename T>
struct GRef {
    T* p = nullptr;
    explicit GRef(T* object) : p(object) {}
    ~GRef() {
        if (p)
            g_object_unref(p);
    }
    GRef(const GRef&) = delete;
    GRef& operator=(const GRef&) = delete;
};

void takeError(GError* error, QString* errorText) {
    if (!error)
        return;
    if (errorText)
        *errorText = QString::fromUtf8(error->message);
    g_error_free(error);
}
} // namespace

bool Trash::moveToTrash(const std::string& path, QString* errorText) {
    if (path.empty()) {
        if (errorText)
            *errorText = QStringLiteral("No path given");
        return false;
    }
    // The path's bytes are the file name as the file system knows it, so no conversion.
    GRef<GFile> file(g_file_new_for_path(path.c_str()));
    GError* error = nullptr;
    const bool ok = g_file_trash(file.p, nullptr, &error);
    takeError(error, errorText);
    return ok;
}

bool Trash::canTrash(const std::string& path) {
    if (path.empty())
        return false;
    GRef<GFile> file(g_file_new_for_path(path.c_str()));
    GError* error = nullptr;
    GRef<GFileInfo> info(g_file_query_info(file.p, G_FILE_ATTRIBUTE_ACCESS_CAN_TRASH,
                                           G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &error));
    takeError(error, nullptr);
    return info.p && g_file_info_get_attribute_boolean(info.p, G_FILE_ATTRIBUTE_ACCESS_CAN_TRASH);
}
