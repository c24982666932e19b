#pragma once
#include <string>
#include <string_view>

namespace quorvel {

/// The output file proposed for an observation file: its last four characters
/// give way to ".out" when they are exactly ".dat", otherwise to ".dat". A name of
/// one to three characters keeps them all and gets ".dat". An empty name gives an
/// empty result (nothing to propose). Characters are UTF-8 code points; a byte
/// that is not valid UTF-8 counts as one character.
std::string outputNameFor(std::string_view observationName);

}  // namespace quorvel
