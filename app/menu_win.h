#pragma once
// Menus with the properties the window description gives each item: a name,
// a caption, a hint, a Tag, enabled, visible and checked states, and the
// handlers run when the item is chosen or its submenu opens.
//
// Win32 menus know no hidden items, so a hidden item is removed from its
// menu and inserted again at its place among the visible siblings when it is
// shown; its states are kept here meanwhile.

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace filvex {

class TMenu;

class TMenuItem {
 public:
  std::string Name;
  std::string Hint;
  int Tag = 0;
  std::function<void()> OnClick;  // the item is chosen
  std::function<void()> OnPopup;  // its submenu is about to open

  UINT Id() const { return id_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool IsSeparator() const { return separator_; }
  HMENU SubMenu() const { return sub_; }
  TMenuItem* Parent() const { return parent_; }
  const std::vector<TMenuItem*>& Items() const { return children_; }

 private:
  friend class TMenu;
  HMENU Container() const;
  UINT Position() const;  // among the visible siblings before it
  void Insert();
  void ApplyState();

  TMenu* owner_ = nullptr;
  TMenuItem* parent_ = nullptr;
  UINT id_ = 0;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
  bool separator_ = false;
  bool removed_ = false;
  HMENU sub_ = nullptr;
  std::vector<TMenuItem*> children_;
};

class TMenu {
 public:
  enum class Kind { Bar, Popup };

  TMenu() = default;
  TMenu(const TMenu&) = delete;
  TMenu& operator=(const TMenu&) = delete;
  // A popup root is destroyed here; a menu bar belongs to the window it is
  // attached to. Submenus of hidden items are destroyed here in both cases.
  ~TMenu();

  // Makes the root menu; item ids count up from firstId.
  void Create(Kind kind, UINT firstId);
  HMENU Handle() const { return handle_; }
  // The window whose menu bar must be redrawn after a change (bars only).
  void SetWindow(HWND wnd) { wnd_ = wnd; }

  // Appends an item to parent (nullptr: the root).
  TMenuItem* Add(TMenuItem* parent, const char* name, const std::string& caption,
                 const std::string& hint = {}, int tag = 0);
  // Appends an item that opens a submenu.
  TMenuItem* AddSubMenu(TMenuItem* parent, const char* name, const std::string& caption,
                        const std::string& hint = {});
  TMenuItem* AddSeparator(TMenuItem* parent);
  // Deletes every item below parent (their submenus included); the items
  // are forgotten and never found again.
  void RemoveItems(TMenuItem* parent);

  TMenuItem* FindById(UINT id);
  TMenuItem* FindByName(std::string_view name);
  // The item whose submenu is `menu`; nullptr for the root or an unknown menu.
  TMenuItem* FindBySubMenu(HMENU menu);
  // The item at a position of a menu (as WM_MENUSELECT reports submenus).
  TMenuItem* FindByPosition(HMENU menu, UINT position);

 private:
  friend class TMenuItem;
  TMenuItem* Append(TMenuItem* parent, const char* name, const std::string& caption,
                    const std::string& hint, int tag, bool separator, bool submenu);
  void Redraw() const;

  Kind kind_ = Kind::Popup;
  HMENU handle_ = nullptr;
  HWND wnd_ = nullptr;
  UINT nextId_ = 1;
  std::deque<TMenuItem> items_;  // stable addresses
  std::vector<TMenuItem*> top_;
};

}  // namespace filvex
