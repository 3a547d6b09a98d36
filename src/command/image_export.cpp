// copyImageToClipboard: bitmap, OLE picture object, its Handle read through IDispatch, clipboard.
#include "command/image_export.h"

#include <ole2.h>
#include <olectl.h>
#include <cstring>

#include "app/outside.h"
#include "command/clipboard_text.h"

namespace command {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    ~ComPointer() { reset(); }
    Interface** put() {
        reset();
        return &pointer_;
    }
    void reset() {
        if (pointer_) pointer_->Release();
        pointer_ = nullptr;
    }
    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    Interface* pointer_ = nullptr;
};

// The object's "Handle" property, found through its type information (as a property get, failing
// that as a method) and read through IDispatch; 0.0 on any failure.
double readHandleProperty(IUnknown* object) {
    if (!object) return 0.0;
    ComPointer<IDispatch> dispatch;
    if (FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put())))) return 0.0;
    OLECHAR name[] = L"Handle";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    ComPointer<ITypeInfo> typeInfo;
    if (SUCCEEDED(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, typeInfo.put())) && typeInfo) {
        if (FAILED(typeInfo->GetIDsOfNames(names, 1, &id))) id = DISPID_UNKNOWN;
    }
    if (id == DISPID_UNKNOWN && FAILED(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        return 0.0;
    }
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    HRESULT got = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    if (FAILED(got)) {
        VariantClear(&value);
        got = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &value, nullptr, nullptr);
    }
    double result = 0.0;
    if (SUCCEEDED(got) && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_R8))) result = value.dblVal;
    VariantClear(&value);
    return result;
}

uintptr_t word(HANDLE handle) { return reinterpret_cast<uintptr_t>(handle); }

}  // namespace

HBITMAP bitmapFromImageBytes(const app::HeapBlock& imageBytes) {
    const size_t size = imageBytes.size();
    if (size <= 5 || size < 14 + sizeof(BITMAPINFOHEADER)) return nullptr;
    const uint8_t* bytes = imageBytes.data();
    if (bytes[0] != 'B' || bytes[1] != 'M') return nullptr;
    uint32_t offBits;
    memcpy(&offBits, bytes + 10, 4);
    BITMAPINFOHEADER header;
    memcpy(&header, bytes + 14, sizeof header);
    const int64_t width = header.biWidth;
    const int64_t height = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
    if (header.biSize < sizeof header || width <= 0 || height <= 0 || width > 32767 || height > 32767 ||
        header.biPlanes != 1 || (header.biBitCount != 24 && header.biBitCount != 32) ||
        header.biCompression != BI_RGB) {
        return nullptr;
    }
    const uint64_t stride = ((static_cast<uint64_t>(header.biBitCount) * width + 31) / 32) * 4;
    if (offBits < 14 + header.biSize || offBits > size || size - offBits < stride * static_cast<uint64_t>(height)) {
        return nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader = header;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, bytes + offBits, &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

bool copyImageToClipboard(const app::HeapBlock& imageBytes) {
    HBITMAP bitmap = bitmapFromImageBytes(imageBytes);

    // The picture object does not own the bitmap: ownership passes to the clipboard below, so what is
    // pasted after this returns is still the ticket.
    PICTDESC description;
    memset(&description, 0, sizeof description);
    description.cbSizeofstruct = sizeof description;
    description.picType = bitmap ? PICTYPE_BITMAP : PICTYPE_NONE;
    description.bmp.hbitmap = bitmap;
    description.bmp.hpal = nullptr;
    ComPointer<IUnknown> picture;
    {
        ComPointer<IPicture> created;
        if (SUCCEEDED(OleCreatePictureIndirect(&description, IID_IPicture, FALSE, reinterpret_cast<void**>(created.put()))) &&
            created) {
            if (FAILED(created->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(picture.put())))) picture.reset();
        }
    }

    const double handleValue = readHandleProperty(picture.get());
    // Truncation toward zero; the low 32 bits are the handle, sign-extended as GDI handles are.
    const int64_t whole = static_cast<int64_t>(handleValue);
    HBITMAP handle = reinterpret_cast<HBITMAP>(static_cast<intptr_t>(static_cast<int32_t>(static_cast<uint32_t>(whole))));

    bool result = false;
    bool clipboardTookBitmap = false;
    if (static_cast<uint32_t>(app::callOutside(app::Outside::OpenClipboard, {word(clipboardOwner())})) != 0) {
        app::callOutside(app::Outside::EmptyClipboard, {});
        clipboardTookBitmap =
            app::callOutside(app::Outside::SetClipboardData, {CF_BITMAP, word(handle)}) != 0 && handle == bitmap;
        app::callOutside(app::Outside::CloseClipboard, {});
        // A BOOL result fills only the low 32 bits of the return register.
        result = static_cast<uint32_t>(app::callOutside(app::Outside::IsClipboardFormatAvailable, {CF_BITMAP})) != 0;
    }
    picture.reset();
    // A bitmap the clipboard did not take is still ours.
    if (bitmap && !clipboardTookBitmap) DeleteObject(bitmap);
    return result;
}

}  // namespace command
