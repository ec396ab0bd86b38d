#include "app/win32/image_list.h"

#include "platform/win32/handles.h"

namespace mirel::win32 {

TImageList::TImageList(int size) { Reset(size); }

TImageList::~TImageList() {
  ReleaseIcons();
  if (list_ != nullptr) ::ImageList_Destroy(list_);
}

void TImageList::ReleaseIcons() const {
  for (HICON icon : icons_) {
    if (icon != nullptr) ::DestroyIcon(icon);
  }
  icons_.clear();
}

void TImageList::Reset(int size) {
  ReleaseIcons();
  if (list_ != nullptr) ::ImageList_Destroy(list_);
  size_ = size;
  list_ = ::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 20, 4);
}

int TImageList::AddResourceIcon(HINSTANCE instance, int id) {
  // LoadImage picks the resource's image nearest the size asked for and scales it when no image
  // has that size.
  UniqueIcon icon(static_cast<HICON>(
      ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size_, size_, LR_DEFAULTCOLOR)));
  return icon ? ::ImageList_AddIcon(list_, icon.get()) : -1;
}

int TImageList::AddIcon(HICON icon) { return ::ImageList_AddIcon(list_, icon); }

int TImageList::AddBitmap(HBITMAP bitmap) { return ::ImageList_Add(list_, bitmap, nullptr); }

void TImageList::Delete(int index) { ::ImageList_Remove(list_, index); }

int TImageList::Count() const { return ::ImageList_GetImageCount(list_); }

IconHandle TImageList::IconAt(int index) const {
  if (index < 0 || index >= Count()) return 0;
  if (icons_.size() < static_cast<std::size_t>(Count())) icons_.resize(Count(), nullptr);
  HICON& icon = icons_[static_cast<std::size_t>(index)];
  if (icon == nullptr) icon = ::ImageList_GetIcon(list_, index, ILD_NORMAL);
  return reinterpret_cast<IconHandle>(icon);
}

}  // namespace mirel::win32
