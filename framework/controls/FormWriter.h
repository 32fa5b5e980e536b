#pragma once
// Writing form definitions: a component tree in the text form the form reader reads
// (FormReader.h), so a written tree reads back into equal property values.
//
//   object Root: TRootClass
//     Caption = 'Main'#13#10'window'
//     Font.Style = [fsBold]
//     Lines.Strings = (
//       'a'
//       'b')
//     Panels = <
//       item
//         Width = 200
//       end>
//     Picture.Data = {
//       424D...}
//     object Button1: TButton
//     end
//   end
//
// Written are the published properties (TypInfo.h) that IsStoredProp keeps: a value that
// differs from its default, or one whose stored predicate says so. Read-only values and event
// handlers are left out. Nested persistent objects are written as "Object.Property" lines,
// string lists and collections when they hold anything, references to the root and to the
// components it owns by name. Strings keep printable ASCII in quotes and every other
// character as #n, so the text is plain ASCII; binary values are hex rows of 32 bytes;
// floating-point values use '.' whatever the locale (FloatToPropText), and a value without
// digits (NAN, INF) is left out.
// The components the root owns follow its properties, each control inside its parent's
// block, the others inside the root's, in the owner's order.
#include "Components.h"
#include "Strings.h"
#include "TypInfo.h"

class TWriter {
public:
    explicit TWriter(TComponent* root);

    // The definition of root and the components it owns; every written component is
    // csWriting while this runs.
    UnicodeString WriteRootComponent();

private:
    void WriteComponent(TComponent* component, int indent);
    void WriteProperties(TPersistent* instance, const UnicodeString& prefix, int indent, int depth);
    void WriteProperty(TPersistent* instance, const TPropInfo& info, const UnicodeString& prefix, int indent,
                       int depth);
    void WriteItems(const TCollection& collection, int indent, int depth);
    UnicodeString ReferenceName(const TComponent* component) const;
    TComponent* TreeParent(TComponent* component) const;
    void Line(int indent, const UnicodeString& text);

    TComponent* root_;
    UnicodeString text_;
};

// The definition text of root (see above); EWriteError for a null root.
UnicodeString WriteComponentToText(TComponent* root);
