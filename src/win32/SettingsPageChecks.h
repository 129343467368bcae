#pragma once
// The check boxes of a settings page bound to the int members of the page's model, in data-exchange order.

#include <windows.h>

#include <span>

template <typename Model>
struct PageCheck {
  int id;
  int Model::*member;
};

template <typename Model>
void ShowChecks(HWND page, std::span<const PageCheck<Model>> checks, const Model& model) {
  for (const PageCheck<Model>& check : checks) {
    ::CheckDlgButton(page, check.id, model.*check.member ? BST_CHECKED : BST_UNCHECKED);
  }
}

template <typename Model>
void ReadChecks(HWND page, std::span<const PageCheck<Model>> checks, Model& model) {
  for (const PageCheck<Model>& check : checks) {
    model.*check.member = ::IsDlgButtonChecked(page, check.id) == BST_CHECKED ? 1 : 0;
  }
}
