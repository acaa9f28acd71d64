// The editor interface that the plug-in base reaches through the editor opcodes.
#pragma once

#include "vst/VstAbi.h"

// Owned by the plug-in base and deleted by its destructor. Every operation runs on the host's
// user-interface thread.
class AEffEditor
{
public:
    virtual ~AEffEditor() = default;

    // Hands the host a pointer to the editor's rectangle; returns true when *rect is valid.
    virtual bool getRect(ERect** rect) = 0;
    // Opens the editor as a child of the host's window (an HWND on Windows).
    virtual bool open(void* parentWindow) = 0;
    virtual void close() = 0;
    virtual void idle() = 0;
    // Returns true when the editor used the key.
    virtual bool onKeyDown(VstKeyCode& keyCode) = 0;
    virtual bool onKeyUp(VstKeyCode& keyCode) = 0;
    virtual bool setKnobMode(VstInt32 mode) = 0;
};
