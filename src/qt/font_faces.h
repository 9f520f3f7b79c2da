// The Windows face names the drawing asks for ("ＭＳ 明朝" for texts, "Arial" for labels) are not
// installed here; they are mapped to the Japanese and Latin fonts that are.
#pragma once

namespace lav::qt {

// Registers the substitutes with Qt's font matching; harmless to call more than once. Runs by
// itself when the application object is created, if this file is linked in.
void InstallFaceSubstitutes();

}  // namespace lav::qt
