#pragma once

// Plain C++ only: the Windows hook procedures include this without Qt.

#include "copydata.h"
#include "inputsource.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>

// Global key and mouse-button capture. Raw events from the platform source
// (PC scan code + extended flag, mouse message + cursor position) become USB
// HID keyboard usages and button codes for the UI's recording. Keys are
// edge-detected through keyState; buttons are not. Input is never swallowed.
class InputHooks final : public InputEventSink
{
public:
    using KeyboardCallback = void (*)(unsigned char usbCode, bool isDown, void* context);
    using MouseCallback = void (*)(unsigned char buttonCode, bool isDown, int x, int y, void* context);
    using CopyDataHandler = void (*)(const CopyDataRecord* record, void* context);

    InputHooks();   // with the platform's source
    explicit InputHooks(std::unique_ptr<InputEventSource> source);
    ~InputHooks();
    InputHooks(const InputHooks&) = delete;
    InputHooks& operator=(const InputHooks&) = delete;

    // Sets the layout flag, builds both maps, installs the hooks.
    bool init(bool layoutFlag);
    // Both hooks or none: a half-installed pair is removed again.
    bool installHooks();
    void removeHooks();

    void setKeyboardCallback(KeyboardCallback callback, void* context);
    void setMouseCallback(MouseCallback callback, void* context);
    // The application-wide native filter that feeds handleNativeMessage is
    // installed by the Qt side (CopyDataFilter).
    void setCopyDataHandler(CopyDataHandler handler, void* context);

    void handleKeyEvent(int hookCode, std::uint32_t message, std::uint32_t scanCode,
                        std::uint32_t flags) override;
    void handleMouseEvent(std::uint32_t message, int x, int y) override;
    // True when the message was a copy-data request that a handler took;
    // *result is then 1. Any other message is left to its normal handling.
    bool handleNativeMessage(std::uint32_t message, const CopyDataRecord* record, std::intptr_t* result);

    bool layoutFlag() const { return layout; }
    bool keyboardHookInstalled() const { return keyboardHooked; }
    bool mouseHookInstalled() const { return mouseHooked; }
    // (scan code << 8) | extended flag -> Windows virtual-key code.
    const std::map<std::uint16_t, std::uint8_t>& scanCodeMap() const { return scanCodes; }
    // Virtual-key code -> USB HID keyboard usage (page 0x07).
    const std::map<std::uint8_t, std::uint8_t>& virtualKeyMap() const { return virtualKeys; }
    bool keyState(std::uint8_t usage) const { return keyDown[usage]; }

    static std::map<std::uint16_t, std::uint8_t> buildScanCodeMap();
    static std::map<std::uint8_t, std::uint8_t> buildVirtualKeyMap(bool layoutFlag);

private:
    std::unique_ptr<InputEventSource> source;
    bool layout = false;
    bool keyboardHooked = false;
    bool mouseHooked = false;
    KeyboardCallback keyboardCallback = nullptr;
    void* keyboardContext = nullptr;
    MouseCallback mouseCallback = nullptr;
    void* mouseContext = nullptr;
    CopyDataHandler copyDataHandler = nullptr;
    void* copyDataContext = nullptr;
    std::map<std::uint16_t, std::uint8_t> scanCodes;
    std::map<std::uint8_t, std::uint8_t> virtualKeys;
    std::array<bool, 256> keyDown{};
};
