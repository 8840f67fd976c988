#include "platform/win32/DialogTemplate.h"

#include "platform/win32/Native.h"

#include <cstdlib>
#include <cstring>

namespace orxwin {

namespace {

constexpr std::uint16_t TEMPLATE_VERSION = 1;
constexpr std::uint16_t EXTENDED_SIGNATURE = 0xFFFF;
constexpr std::uint16_t ORDINAL_MARK = 0xFFFF;
constexpr std::uint16_t BUTTON_ATOM = 0x0080;
constexpr std::uint16_t STATIC_ATOM = 0x0082;
constexpr DWORD WS_CHILD_STYLE = 0x40000000;
constexpr DWORD DS_CENTER_STYLE = 0x0800;
constexpr std::uint16_t FONT_WEIGHT_ANY = 0;
constexpr std::uint16_t NOT_ITALIC_DEFAULT_CHARSET = 0x0100; // italic byte, then charset 1
constexpr DWORD STATIC_KIND_MASK = 0x1F;

class Writer {
public:
    void Word(std::uint16_t value) { m_words.push_back(value); }
    void Short(short value) { Word(static_cast<std::uint16_t>(value)); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const char* utf8) {
        for (const wchar_t c : Widen(utf8 ? utf8 : ""))
            Word(static_cast<std::uint16_t>(c));
        Word(0);
    }
    void Ordinal(std::uint16_t value) {
        Word(ORDINAL_MARK);
        Word(value);
    }
    void AlignToDword() {
        if (m_words.size() % 2 != 0)
            Word(0);
    }
    std::vector<std::uint16_t> Take() { return std::move(m_words); }

private:
    std::vector<std::uint16_t> m_words;
};

bool IsClass(const CDialogItem& item, const char* name) {
    return item.lpszClass != nullptr && std::strcmp(item.lpszClass, name) == 0;
}

void WriteClass(Writer& out, const CDialogItem& item) {
    if (IsClass(item, WC_BUTTON))
        out.Ordinal(BUTTON_ATOM);
    else if (IsClass(item, WC_STATIC))
        out.Ordinal(STATIC_ATOM);
    else
        out.Text(item.lpszClass);
}

// An icon static names its icon resource by number: "#130" or "130".
void WriteTitle(Writer& out, const CDialogItem& item) {
    const char* caption = item.lpszCaption ? item.lpszCaption : "";
    if (IsClass(item, WC_STATIC) && (item.dwStyle & STATIC_KIND_MASK) == SS_ICON) {
        out.Ordinal(
            static_cast<std::uint16_t>(std::atoi(caption[0] == '#' ? caption + 1 : caption)));
        return;
    }
    out.Text(caption);
}

void WriteItem(Writer& out, const CDialogItem& item) {
    out.AlignToDword();
    out.Dword(0); // help id
    out.Dword(0); // extended style
    out.Dword(item.dwStyle | WS_CHILD_STYLE);
    out.Short(item.x);
    out.Short(item.y);
    out.Short(item.cx);
    out.Short(item.cy);
    out.Dword(static_cast<DWORD>(item.nID));
    WriteClass(out, item);
    WriteTitle(out, item);
    out.Word(0); // no creation data
}

} // namespace

std::vector<std::uint16_t> BuildDialogTemplate(const CDialogTemplate& dialog) {
    Writer out;
    out.Word(TEMPLATE_VERSION);
    out.Word(EXTENDED_SIGNATURE);
    out.Dword(0); // help id
    out.Dword(dialog.dwExStyle);
    out.Dword((dialog.dwStyle & ~WS_VISIBLE) | DS_CENTER_STYLE);
    out.Word(static_cast<std::uint16_t>(dialog.items.size()));
    out.Short(0);
    out.Short(0);
    out.Short(dialog.cx);
    out.Short(dialog.cy);
    out.Word(0); // no menu
    out.Word(0); // the system's dialog class
    out.Text(dialog.lpszCaption);
    if ((dialog.dwStyle & DS_SETFONT) != 0) {
        out.Word(dialog.wPointSize);
        out.Word(FONT_WEIGHT_ANY);
        out.Word(NOT_ITALIC_DEFAULT_CHARSET);
        out.Text(dialog.lpszFontName);
    }
    for (const CDialogItem& item : dialog.items)
        WriteItem(out, item);
    return out.Take();
}

} // namespace orxwin
