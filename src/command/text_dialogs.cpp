#include "command/text_dialogs.h"

#include "platform/sjis.h"

namespace lav::command {

void TextEditDialog::setText(std::string_view edited) {
  text = std::string(sjis::cutAt(edited, limit));
}

bool TextListDialog::setText(std::size_t index, std::string_view edited) {
  if (index >= texts.size()) return false;
  texts[index] = std::string(sjis::cutAt(edited, limit));
  return true;
}

}  // namespace lav::command
