#pragma once
// Root classes of the component model. ClassName() returns the framework's class names, which
// the program shows in error boxes and the skin library compares.
#include "Strings.h"

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    virtual UnicodeString ClassName() const { return L"TObject"; }
};

class TPersistent : public TObject {
public:
    UnicodeString ClassName() const override { return L"TPersistent"; }

    // Copies the state of source into this object; the default asks the source to do it.
    virtual void Assign(const TPersistent* source);

protected:
    // Copies this object's state into dest; the default raises the conversion error.
    virtual void AssignTo(TPersistent* dest) const;
    virtual TPersistent* GetOwner() const { return nullptr; }
};
