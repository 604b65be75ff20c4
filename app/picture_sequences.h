// app/picture_sequences.h
#pragma once

#include "collection/viewer/picture_sequence.h"

class CSelectPage;
class CThumbList;
class SelectedImagesModel;

// The full-screen viewer pages through the thumbnail browser (every picture
// of the folder, unturned)...
class BrowserSequence : public PictureSequence
{
  public:
    explicit BrowserSequence(CThumbList &browser)
        : mBrowser(browser)
    {
    }

    int Count() const override;
    QString PathAt(int index) const override;
    int RotationAt(int) const override { return 0; }
    int Current() const override;
    void SetCurrent(int index) override;

  private:
    CThumbList &mBrowser;
};

// ...or through the selected-image list, each picture turned as its row
// says: the pictures from the page's model, the current one from its list.
class SelectedListSequence : public PictureSequence
{
  public:
    explicit SelectedListSequence(CSelectPage &page);

    int Count() const override;
    QString PathAt(int index) const override;
    int RotationAt(int index) const override;
    int Current() const override;
    void SetCurrent(int index) override;

  private:
    CSelectPage &mPage;
    const SelectedImagesModel &mImages;
};
