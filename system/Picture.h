// A picture handed between controls: its kind and the handle of the image.
// The picture does not own the handle; whoever loaded the image keeps it alive.
#pragma once

#include <windows.h>

struct Picture {
    enum Type : short {
        None = 0,
        Bitmap = 1,
        Metafile = 2,
        Icon = 3
    };

    Type type = None;
    HANDLE handle = nullptr;

    static Picture FromIcon(HICON icon) { return {icon ? Icon : None, icon}; }

    bool IsIcon() const { return type == Icon && handle != nullptr; }
    HICON IconHandle() const { return type == Icon ? static_cast<HICON>(handle) : nullptr; }

    friend bool operator==(const Picture&, const Picture&) = default;
};
