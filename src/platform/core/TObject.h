#pragma once

#include <functional>

// The root of the system's own object classes: every event names its sender as a TObject.
class TObject {
public:
    TObject() = default;
    TObject(const TObject &) = delete;
    TObject &operator=(const TObject &) = delete;
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject *Sender)>;

// Raises an event when a handler is assigned; an unassigned event is simply not raised.
template <typename Event, typename... Args>
void Raise(const Event &event, Args &&...args)
{
    if (event)
        event(std::forward<Args>(args)...);
}

// Declares an event field FOn<Name> with its accessors On<Name>() and SetOn<Name>().
// The declaration ends in a public section.
#define TALVIK_EVENT(Type, Name)                                      \
private:                                                              \
    Type FOn##Name;                                                   \
                                                                      \
public:                                                               \
    const Type &On##Name() const { return FOn##Name; }                \
    void SetOn##Name(Type value) { FOn##Name = std::move(value); }

// Declares a field F<Name> with its plain accessors <Name>() and Set<Name>().
// The declaration ends in a public section.
#define TALVIK_PROPERTY(Type, Name)                                   \
private:                                                              \
    Type F##Name{};                                                   \
                                                                      \
public:                                                               \
    Type Name() const { return F##Name; }                             \
    void Set##Name(const Type &value) { F##Name = value; }
