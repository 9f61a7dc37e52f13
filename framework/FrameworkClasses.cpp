#include "framework/FrameworkClasses.h"

#include "framework/Form.h"
#include "framework/Menu.h"
#include "framework/Timer.h"
#include "framework/classes/ClassRegistry.h"

namespace orvalis {

void RegisterFrameworkClasses() {
    static const bool registered = [] {
        RegisterStreamClasses({&TForm::StaticClassInfo(), &TMainMenu::StaticClassInfo(),
                               &TMenuItem::StaticClassInfo(), &TTimer::StaticClassInfo()});
        return true;
    }();
    (void)registered;
}

}  // namespace orvalis
