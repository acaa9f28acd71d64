// Something that must not be deleted while a caller below it on the stack still uses it.
#pragma once

// retain and release come in pairs around a stretch of code that may call out (to a host, into a
// modal loop) and return into the object. A deletion asked for while the object is retained
// happens at the last release instead. Both are called on the same thread as the deletion.
class KeepAlive
{
public:
    virtual ~KeepAlive() = default;
    virtual void retain() = 0;
    virtual void release() = 0;
};
