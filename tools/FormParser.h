#pragma once
// Reads form source into a form tree. The format is described in docs/forms.md;
// in short:
//
//   TOptions Options {                      // class, name, then the body
//     Left = 529                            // integers: -11, 0x1F
//     Caption = "Options de visualisation"  // texts in UTF-8, with \ escapes
//     Font.Style = {}                       // sets: {fsBold, fsItalic}
//     TRadioGroup RadioGroup1 {             // children follow the properties
//       Items.Strings = ["Continu", "Arrêt sur image"]
//     }
//   }
//
// Every refusal names the file, line and column (FormSourceError).

#include <string_view>

#include "tools/FormTree.h"

namespace orvalis::formc {

FormComponent ParseFormSource(std::string_view source, std::string_view fileName);

}  // namespace orvalis::formc
