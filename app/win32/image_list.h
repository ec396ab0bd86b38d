// An image list of 16 x 16 icons loaded from the program's resources.
#pragma once

#include <vector>

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include "tray/tray_icon.h"

namespace mirel::win32 {

class TImageList : public IIconList {
 public:
  TImageList(int width, int height);
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;
  ~TImageList() override;

  HIMAGELIST Handle() const { return list_; }
  // Appends the icon resource `id` at the list's size; returns its index or -1.
  int AddResourceIcon(HINSTANCE instance, int id);
  // Appends a copy of `icon`; returns its index or -1.
  int AddIcon(HICON icon);
  int AddBitmap(HBITMAP bitmap);
  void Delete(int index);

  // IIconList: the image as an icon this list owns until it is asked again.
  int Count() const override;
  IconHandle IconAt(int index) const override;

 private:
  HIMAGELIST list_;
  int width_;
  int height_;
  mutable std::vector<HICON> icons_;  // images handed out as icons, kept until destruction
};

}  // namespace mirel::win32
