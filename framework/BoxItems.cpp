// The item operations of a list or combo box, through its kind's messages.
#include "framework/BoxItems.h"

#include "runtime/Exceptions.h"

int BoxItems::Count() const {
  return static_cast<int>(Send(messages_.count));
}

std::string BoxItems::Text(int index) const {
  const LRESULT length = Send(messages_.textLength, index);
  if (length == LB_ERR) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT copied = Send(messages_.text, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
  return text;
}

void* BoxItems::Data(int index) const {
  const LRESULT data = Send(messages_.itemData, index);
  return data == LB_ERR ? nullptr : reinterpret_cast<void*>(data);
}

void BoxItems::SetData(int index, void* data) const {
  Send(messages_.setItemData, index, reinterpret_cast<LPARAM>(data));
}

int BoxItems::Add(const std::string& text, void* data) const {
  const LRESULT index = Send(messages_.addString, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index < 0) throw EOutOfResources(kCannotInsertLine);
  SetData(static_cast<int>(index), data);
  return static_cast<int>(index);
}

void BoxItems::Clear() const {
  Send(messages_.resetContent);
}

int BoxItems::Selection() const {
  return static_cast<int>(Send(messages_.currentSelection));
}

void BoxItems::Select(int index) const {
  Send(messages_.setCurrentSelection, index);
}
