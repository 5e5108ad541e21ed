#include "tests/support/TestSkin.h"

#include "toolkit/QX_Skin.h"

const QX_Skin& TestSkin() {
    // Kept for the whole run, like the application's own skin.
    static QX_Skin* const skin = [] {
        auto* s = new QX_Skin;
        s->Load();
        return s;
    }();
    QX_Skin::SetDefault(skin);
    return *skin;
}
