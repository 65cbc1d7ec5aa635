#include "app/menu_win.h"

namespace filvex {

HMENU TMenuItem::Container() const { return parent_ ? parent_->sub_ : owner_->handle_; }

UINT TMenuItem::Position() const {
  const std::vector<TMenuItem*>& siblings = parent_ ? parent_->children_ : owner_->top_;
  UINT pos = 0;
  for (const TMenuItem* s : siblings) {
    if (s == this) break;
    if (s->visible_) ++pos;
  }
  return pos;
}

void TMenuItem::Insert() {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE;
  mii.wID = id_;
  if (separator_) {
    mii.fType = MFT_SEPARATOR;
  } else {
    mii.fType = MFT_STRING;
    mii.fMask |= MIIM_STRING;
    mii.dwTypeData = const_cast<char*>(caption_.c_str());
  }
  mii.fState = (enabled_ ? MFS_ENABLED : MFS_DISABLED) | (checked_ ? MFS_CHECKED : 0);
  if (sub_) {
    mii.fMask |= MIIM_SUBMENU;
    mii.hSubMenu = sub_;
  }
  InsertMenuItemA(Container(), Position(), TRUE, &mii);
}

void TMenuItem::ApplyState() {
  if (!visible_) return;
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_STATE;
  mii.fState = (enabled_ ? MFS_ENABLED : MFS_DISABLED) | (checked_ ? MFS_CHECKED : 0);
  SetMenuItemInfoA(Container(), Position(), TRUE, &mii);
  owner_->Redraw();
}

void TMenuItem::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (!visible_ || separator_) return;
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_STRING;
  mii.dwTypeData = const_cast<char*>(caption_.c_str());
  SetMenuItemInfoA(Container(), Position(), TRUE, &mii);
  owner_->Redraw();
}

void TMenuItem::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  ApplyState();
}

void TMenuItem::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  ApplyState();
}

void TMenuItem::SetVisible(bool visible) {
  if (visible_ == visible) return;
  if (visible) {
    visible_ = true;
    Insert();
  } else {
    // RemoveMenu, not DeleteMenu: a submenu stays alive for the next showing.
    RemoveMenu(Container(), Position(), MF_BYPOSITION);
    visible_ = false;
  }
  owner_->Redraw();
}

TMenu::~TMenu() {
  for (TMenuItem& item : items_) {
    if (item.sub_ && !item.visible_) DestroyMenu(item.sub_);
  }
  if (kind_ == Kind::Popup && handle_) DestroyMenu(handle_);
}

void TMenu::Create(Kind kind, UINT firstId) {
  kind_ = kind;
  handle_ = kind == Kind::Bar ? CreateMenu() : CreatePopupMenu();
  nextId_ = firstId;
}

TMenuItem* TMenu::Append(TMenuItem* parent, const char* name, const std::string& caption,
                         const std::string& hint, int tag, bool separator, bool submenu) {
  TMenuItem& item = items_.emplace_back();
  item.owner_ = this;
  item.parent_ = parent;
  item.id_ = nextId_++;
  item.Name = name ? name : "";
  item.caption_ = caption;
  item.Hint = hint;
  item.Tag = tag;
  item.separator_ = separator;
  if (submenu) item.sub_ = CreatePopupMenu();
  (parent ? parent->children_ : top_).push_back(&item);
  item.Insert();
  return &item;
}

TMenuItem* TMenu::Add(TMenuItem* parent, const char* name, const std::string& caption,
                      const std::string& hint, int tag) {
  return Append(parent, name, caption, hint, tag, /*separator=*/false, /*submenu=*/false);
}

TMenuItem* TMenu::AddSubMenu(TMenuItem* parent, const char* name, const std::string& caption,
                             const std::string& hint) {
  return Append(parent, name, caption, hint, 0, /*separator=*/false, /*submenu=*/true);
}

TMenuItem* TMenu::AddSeparator(TMenuItem* parent) {
  return Append(parent, "", "-", {}, 0, /*separator=*/true, /*submenu=*/false);
}

void TMenu::RemoveItems(TMenuItem* parent) {
  std::vector<TMenuItem*>& children = parent ? parent->children_ : top_;
  for (TMenuItem* child : children) {
    if (!child->children_.empty()) RemoveItems(child);
    if (child->visible_) {
      // The menu holds exactly the visible children, in order, so each one is
      // at position 0 once those before it are gone.
      RemoveMenu(child->Container(), 0, MF_BYPOSITION);
      if (child->sub_) DestroyMenu(child->sub_);
    } else if (child->sub_) {
      DestroyMenu(child->sub_);
    }
    child->sub_ = nullptr;
    child->removed_ = true;
    child->visible_ = false;
    child->OnClick = nullptr;
    child->OnPopup = nullptr;
  }
  children.clear();
  Redraw();
}

TMenuItem* TMenu::FindById(UINT id) {
  for (TMenuItem& item : items_) {
    if (!item.removed_ && item.id_ == id) return &item;
  }
  return nullptr;
}

TMenuItem* TMenu::FindByName(std::string_view name) {
  for (TMenuItem& item : items_) {
    if (!item.removed_ && item.Name == name) return &item;
  }
  return nullptr;
}

TMenuItem* TMenu::FindBySubMenu(HMENU menu) {
  for (TMenuItem& item : items_) {
    if (item.sub_ && item.sub_ == menu) return &item;
  }
  return nullptr;
}

TMenuItem* TMenu::FindByPosition(HMENU menu, UINT position) {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID;
  if (!GetMenuItemInfoA(menu, position, TRUE, &mii)) return nullptr;
  return FindById(mii.wID);
}

void TMenu::Redraw() const {
  if (kind_ == Kind::Bar && wnd_) DrawMenuBar(wnd_);
}

}  // namespace filvex
