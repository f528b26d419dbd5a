#include "support/WindowsTestSupport.h"

#include <shlobj.h>

namespace WindowsTestSupport
{
juce::File getProgramBesideRunner (const juce::String& fileName)
{
    return juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile (fileName);
}

juce::String getEnvironmentVariable (const juce::String& name)
{
    wchar_t value[1024] = {};
    const auto length = GetEnvironmentVariableW (name.toWideCharPointer(), value, (DWORD) std::size (value));

    if (length == 0 || length >= std::size (value))
        return {};

    return juce::String (value);
}

namespace
{
    /** The file offset of the "PE\0\0" signature, or -1. */
    juce::int64 findPeHeader (juce::FileInputStream& in)
    {
        if (! in.openedOk() || in.readShort() != 0x5a4d) // "MZ"
            return -1;

        in.setPosition (0x3c);
        const auto peOffset = (juce::int64) (uint32_t) in.readInt();

        if (! in.setPosition (peOffset) || in.readInt() != 0x00004550) // "PE\0\0"
            return -1;

        return peOffset;
    }
} // namespace

uint16_t readPeMachine (const juce::File& file)
{
    juce::FileInputStream in (file);
    const auto header = findPeHeader (in);

    if (header < 0)
        return 0;

    in.setPosition (header + 4);
    return (uint16_t) in.readShort();
}

uint16_t readPeSubsystem (const juce::File& file)
{
    juce::FileInputStream in (file);
    const auto header = findPeHeader (in);

    if (header < 0)
        return 0;

    // The optional header follows the 20-byte file header; Subsystem is at 68 in it.
    in.setPosition (header + 4 + 20 + 68);
    return (uint16_t) in.readShort();
}

juce::File getRoamingApplicationDataFolder()
{
    wchar_t path[MAX_PATH] = {};

    if (FAILED (SHGetFolderPathW (nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};

    return juce::File (juce::String (path));
}

namespace
{
    /** What the screen shows in `area` (screen coordinates); null when it cannot be read. */
    juce::Image captureScreen (const RECT& area)
    {
        const auto width = (int) (area.right - area.left);
        const auto height = (int) (area.bottom - area.top);

        if (width <= 0 || height <= 0)
            return {};

        auto* screen = GetDC (nullptr);
        auto* memory = CreateCompatibleDC (screen);

        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof (info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;

        void* pixels = nullptr;
        auto* bitmap = CreateDIBSection (screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        auto copied = false;

        if (bitmap != nullptr)
        {
            auto* previous = SelectObject (memory, bitmap);
            copied = BitBlt (memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
            GdiFlush();
            SelectObject (memory, previous);
        }

        juce::Image image;

        if (copied)
        {
            image = juce::Image (juce::Image::RGB, width, height, false);
            const juce::Image::BitmapData destination (image, juce::Image::BitmapData::writeOnly);
            const auto* source = static_cast<const uint8_t*> (pixels);

            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                {
                    const auto* bgra = source + (y * width + x) * 4;
                    destination.setPixelColour (x, y, juce::Colour (bgra[2], bgra[1], bgra[0]));
                }
        }

        if (bitmap != nullptr)
            DeleteObject (bitmap);

        DeleteDC (memory);
        ReleaseDC (nullptr, screen);
        return image;
    }

    /** Wine paints the frame and the title bar some time after the window
        has shown itself: ask for a repaint, let the window's thread handle
        its queue, and give the painting a moment. This only makes a picture
        complete; callers that check what it shows wait for it themselves.
    */
    void letWindowPaint (HWND window)
    {
        RedrawWindow (window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW (window, WM_NULL, 0, 0, SMTO_BLOCK, 30000, &ignored);
        Sleep (1000);
    }
} // namespace

juce::Image captureClientArea (HWND window)
{
    letWindowPaint (window);

    RECT client;
    POINT origin { 0, 0 };

    if (! GetClientRect (window, &client) || ! ClientToScreen (window, &origin))
        return {};

    OffsetRect (&client, origin.x, origin.y);
    return captureScreen (client);
}

bool saveWindowScreenshot (HWND window, const juce::File& pngFile)
{
    letWindowPaint (window);

    RECT bounds;

    if (! GetWindowRect (window, &bounds))
        return false;

    const auto image = captureScreen (bounds);

    if (! image.isValid())
        return false;

    pngFile.getParentDirectory().createDirectory();
    pngFile.deleteFile();
    juce::FileOutputStream out (pngFile);
    return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out);
}
namespace
{
    struct WindowOfProcess
    {
        DWORD processId;
        HWND found = nullptr;
    };

    BOOL CALLBACK takeVisibleWindowOfProcess (HWND window, LPARAM parameter)
    {
        auto& search = *reinterpret_cast<WindowOfProcess*> (parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId (window, &owner);

        if (owner != search.processId || ! IsWindowVisible (window))
            return TRUE;

        search.found = window;
        return FALSE;
    }
} // namespace

HWND findVisibleWindowOfProcess (DWORD processId)
{
    WindowOfProcess search { processId };
    EnumWindows (takeVisibleWindowOfProcess, reinterpret_cast<LPARAM> (&search));
    return search.found;
}
} // namespace WindowsTestSupport
