#include "engine/menu_model.h"

#include <utility>

namespace mirel {

TMenuItem& TMenuItem::Add() {
  Items.push_back(std::make_unique<TMenuItem>());
  return *Items.back();
}

TMenuItem& TMenuItem::Add(std::string caption) {
  TMenuItem& item = Add();
  item.Caption = std::move(caption);
  return item;
}

bool TMenuItem::Click() const {
  if (!Enabled || !OnClick) return false;
  OnClick(*this);
  return true;
}

}  // namespace mirel
