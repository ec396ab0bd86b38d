// An image list of square icons loaded from the program's resources, at a size that follows the
// DPI of the monitor its pictures are shown on.
#pragma once

#include <vector>

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include "tray/tray_icon.h"

namespace mirel::win32 {

class TImageList : public IIconList {
 public:
  explicit TImageList(int size);
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;
  ~TImageList() override;

  HIMAGELIST Handle() const { return list_; }
  int Size() const { return size_; }
  // Empties the list and makes it one of `size` x `size` images (a new handle: controls that
  // showed the old list must be given the new one).
  void Reset(int size);
  // Appends the icon resource `id` at the list's size, drawn from the resource's image of that
  // size or the nearest larger one; returns its index or -1.
  int AddResourceIcon(HINSTANCE instance, int id);
  // Appends a copy of `icon`; returns its index or -1.
  int AddIcon(HICON icon);
  int AddBitmap(HBITMAP bitmap);
  void Delete(int index);

  // IIconList: the image as an icon this list owns until it is asked again.
  int Count() const override;
  IconHandle IconAt(int index) const override;

 private:
  void ReleaseIcons() const;

  HIMAGELIST list_ = nullptr;
  int size_ = 0;
  mutable std::vector<HICON> icons_;  // images handed out as icons, kept until destruction
};

}  // namespace mirel::win32
