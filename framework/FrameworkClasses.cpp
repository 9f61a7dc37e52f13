#include "framework/FrameworkClasses.h"

#include "classes/ClassRegistry.h"
#include "classes/IdentMaps.h"
#include "framework/Button.h"
#include "framework/Cursor.h"
#include "framework/Edit.h"
#include "framework/Form.h"
#include "framework/Image.h"
#include "framework/Label.h"
#include "framework/Menu.h"
#include "framework/OpenDialog.h"
#include "framework/RadioGroup.h"
#include "framework/Timer.h"
#include "framework/UpDown.h"

namespace orvalis {

void RegisterFrameworkClasses() {
    static const bool registered = [] {
        RegisterStreamClasses({&TForm::StaticClassInfo(), &TMainMenu::StaticClassInfo(), &TPopupMenu::StaticClassInfo(),
                               &TMenuItem::StaticClassInfo(), &TTimer::StaticClassInfo(), &TLabel::StaticClassInfo(),
                               &TEdit::StaticClassInfo(), &TButton::StaticClassInfo(), &TUpDown::StaticClassInfo(),
                               &TRadioGroup::StaticClassInfo(), &TOpenDialog::StaticClassInfo(),
                               &TImage::StaticClassInfo()});
        RegisterIdentMap(kCursorType, &IdentToCursor, &CursorToIdent);
        return true;
    }();
    (void)registered;
}

}  // namespace orvalis
