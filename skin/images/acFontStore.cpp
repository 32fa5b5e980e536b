// Embedded fonts: the collection of font entries.
#include "acFontStore.h"

TacEmbeddedFonts::TacEmbeddedFonts(TComponent* owner) : TCollection(TCollection::ItemClass<TacEmbeddedFont>(), owner)
{
}
