// Small modal dialogs of the command language: a one-line text editor (function-key text, layer
// name, the text of new texts) and an editable list of such lines (all function keys, all layer
// names). The host shows them; the commands read the result back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace lav::command {

// One edit field (control 521) preset with a text; OK or Cancel closes it.
class TextEditDialog : public DialogModel {
 public:
  TextEditDialog(std::string kindName, std::string title, std::string text, std::size_t limit)
      : title(std::move(title)), text(std::move(text)), limit(limit), kind_(std::move(kindName)) {}
  std::string_view kind() const override { return kind_; }

  // The user's edit: the field keeps at most limit bytes, never half a two-byte character.
  void setText(std::string_view edited);
  void pressOk() { accepted = true, finished = true; }
  void pressCancel() { accepted = false, finished = true; }
  // Word: the whole text.
  std::size_t wordFields() const override { return 1; }
  void setWordField(std::size_t, std::string_view word) override { setText(word); }
  void pressWordButton() override { pressOk(); }

  std::string title;  // Shift-JIS
  std::string text;   // Shift-JIS
  std::size_t limit;
  bool accepted = false;

 private:
  std::string kind_;
};

// A list of labelled one-line texts, each editable (function keys 1..15, layer names 0..63).
class TextListDialog : public DialogModel {
 public:
  TextListDialog(std::string kindName, std::string title, std::vector<std::string> labels,
                 std::vector<std::string> texts, std::size_t limit)
      : title(std::move(title)),
        labels(std::move(labels)),
        texts(std::move(texts)),
        limit(limit),
        kind_(std::move(kindName)) {}
  std::string_view kind() const override { return kind_; }

  // Edits line index; false for an index outside the list.
  bool setText(std::size_t index, std::string_view edited);
  void pressOk() { accepted = true, finished = true; }
  void pressCancel() { accepted = false, finished = true; }

  std::string title;
  std::vector<std::string> labels;
  std::vector<std::string> texts;
  std::size_t limit;
  bool accepted = false;

 private:
  std::string kind_;
};

}  // namespace lav::command
