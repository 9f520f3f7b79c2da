// The functions a command line may call: SIN, COS, TAN (degrees), ATAN, POW and HYP. Each call is
// replaced by its result printed with twelve decimals.
#pragma once

#include <string>

namespace lav::macro {

enum class Function { Sin, Cos, Tan, Atan, Pow, Hyp };

// How many numbers the function takes (1 or 2).
int ArgumentCount(Function f);

// The result text of a call with its arguments ("%.12f"), or "ERROR" when it has no value
// (TAN at a multiple of 90 degrees, or a result that is not a finite number).
std::string EvaluateFunction(Function f, const double* args);

// Replaces the calls in the line, left to right, by their results. At the first call that does
// not read (no '(' after the name, no matching ')', an argument text of more than 199
// characters, not exactly the numbers the function takes, or a call nested in the argument) the
// replacing stops and the rest of the line stays as written.
void ApplyFunctions(std::string& line);

}  // namespace lav::macro
