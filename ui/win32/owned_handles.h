#pragma once

#include <windows.h>

#include <unknwn.h>

#include <memory>
#include <type_traits>

// Owners of the handles and interfaces the window keeps, each let go of as its documentation asks.

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct ComReleaser {
    void operator()(IUnknown *object) const { object->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComReleaser>;
