#pragma once
// Reading form definitions: the framework's text form of a component tree.
//
//   object FormMain: TFormMain
//     Caption = 'Main'#13#10'window' + ' text'
//     Font.Style = [fsBold]
//     OnCreate = FormCreate
//     object Button1: TButton
//       Left = 8
//       Items.Strings = ( 'a' 'b' )
//       Panels = < item Width = 200 end >
//     end
//   end
//
// Values: integers (decimal or $hex, may be negative), decimals with '.' and an optional
// exponent (15.5, -1.5E20; a floating-point property takes an integer too), strings in single
// quotes ('' for a quote) joined with #nnn character codes and +, identifiers (True/False,
// enumeration names, colour and integer constants, component names), sets [a, b], string lists ( ... ) for a
// TStrings property ("Lines.Strings" or the property itself), collections < item ... end >,
// binary values {hex digits, blanks and line breaks between them} for binary properties.
//
// Components are made by the factory registered for their class name, owned by the root and
// parented to the enclosing control. Properties are set by name through the published
// properties (TypInfo.h); events are bound by name to the root's method table; the root's
// fields receive the components of their names. While reading, every component is csLoading;
// afterwards each gets Loaded(), in the order they were created, the root first.
// Any error raises EReadError whose message names the component, the property and the line.
#include "Components.h"
#include "Exceptions.h"
#include "Strings.h"
#include "TypInfo.h"

#include <windows.h>

#include <functional>
#include <map>
#include <vector>

// Makes a new component of one class for the given owner.
using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

// Registers (or replaces) the factory of a class name; names compare without regard to case.
void RegisterComponentClass(const UnicodeString& className, TComponentFactory factory);
template <class T>
void RegisterComponentClass(const UnicodeString& className)
{
    RegisterComponentClass(className, [](TComponent* owner) -> TComponent* { return new T(owner); });
}
bool IsComponentClassRegistered(const UnicodeString& className);

// Names of integer constants a definition may use for integer properties (mrOk, crHandPoint).
void RegisterIntegerConstant(const UnicodeString& name, int64_t value);

// Fields of a form by name: each is set to the component of that name after reading.
class TFieldTable {
public:
    template <class T>
    void Add(const UnicodeString& name, T*& field)
    {
        fields_[Key(name)] = [&field](TComponent* component) {
            T* typed = dynamic_cast<T*>(component);
            if (component && !typed) return false;
            field = typed;
            return true;
        };
    }
    bool Contains(const UnicodeString& name) const { return fields_.count(Key(name)) != 0; }
    // Sets the field of that name; false when the component does not fit the field's type.
    // A name without a field is ignored (true).
    bool Assign(const UnicodeString& name, TComponent* component) const;

private:
    static UnicodeString Key(const UnicodeString& name) { return UpperCase(name); }
    std::map<UnicodeString, std::function<bool(TComponent*)>> fields_;
};

class TReader {
public:
    TReader(TComponent* root, const TMethodTable* methods, const TFieldTable* fields);

    // Reads one definition whose outermost object is root.
    void ReadRootComponent(const UnicodeString& text);

private:
    struct Token;
    class Lexer;
    struct Value;
    struct Fixup {
        TPersistent* Instance;
        const TPropInfo* Info;
        UnicodeString Name;
        UnicodeString Context;
        int Line;
    };

    void ReadObject(Lexer& lexer, TComponent* instance, bool isRoot);
    void ReadProperty(Lexer& lexer, TComponent* component);
    Value ReadValue(Lexer& lexer);
    void ApplyValue(TPersistent* instance, const UnicodeString& path, const Value& value, const UnicodeString& context,
                    int line);
    void ApplyFinal(TPersistent* instance, const UnicodeString& name, const Value& value, const UnicodeString& context,
                    int line);
    [[noreturn]] void Error(const UnicodeString& context, const UnicodeString& what, int line) const;
    TComponent* FindComponentByName(const UnicodeString& name) const;
    void BeginLoading(TComponent* component);
    void EndLoading(TComponent* component);

    TComponent* root_;
    const TMethodTable* methods_;
    const TFieldTable* fields_;
    std::vector<TComponent*> loaded_;
    std::vector<Fixup> fixups_;
};

// Reads text into root (which must match the outermost object).
void ReadComponentFromText(TComponent* root, const UnicodeString& text, const TMethodTable* methods = nullptr,
                           const TFieldTable* fields = nullptr);
// The text of an RCDATA resource (UTF-8 with or without BOM, or UTF-16LE with BOM); instance
// null means the program. EResNotFound when missing.
UnicodeString LoadFormDefinitionResource(const UnicodeString& resourceName, HINSTANCE instance = nullptr);
