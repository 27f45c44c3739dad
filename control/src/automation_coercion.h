#pragma once

#include "tandrel/tandrel_ctrl.h"
#include "tandrel/variant.h"

namespace tandrel {

// Converts an argument (a value or a by-reference form) to `target` (Short, Long or String) the
// way automation coerces arguments, and stores the converted value in `out`; the argument itself
// is only read. Returns Ok, TypeMismatch (text that is no number, a broken reference, a target
// type the control never declares) or Overflow (a number outside the target's range).
//
// Numbers: Double rounds half to even (2.5 -> 2, 3.5 -> 4); Bool gives -1 for true, 0 for false;
// Empty gives 0. Text is read as a number whatever the process locale: blanks around it, an
// optional sign, digits with optional "," grouping, an optional "." fraction and an optional
// exponent ("12" -> 12, " 1,000 " -> 1000, "2.5" -> 2, "1e3" -> 1000); anything else, "" included,
// is a mismatch. Strings: numbers in decimal (a Double with up to 15 significant digits, "1.5",
// "1E+20"), Bool as "-1" / "0", Empty as "".
DispatchStatus CoerceArgument(const Variant& arg, VarType target, Variant& out);

}  // namespace tandrel
