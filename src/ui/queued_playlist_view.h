#pragma once
#include <memory>

#include "playlist/playlist_view.h"
#include "xpl_page.h"

namespace splitwick {

// The XPL page's views as a job on the worker thread fills them: each call goes to the page on
// the window's thread, in order.
class QueuedPlaylistView : public PlaylistView {
  public:
    explicit QueuedPlaylistView(XplPage& page) : page_(page) {}
    void clearAndHideMemo() override {
        QMetaObject::invokeMethod(&page_, [&page = page_] { page.clearAndHideMemo(); });
    }
    void showMemo(MemoLines lines) override {
        auto shared = std::make_shared<MemoLines>(std::move(lines));
        QMetaObject::invokeMethod(&page_,
                                  [&page = page_, shared] { page.showMemo(std::move(*shared)); });
    }
    void replaceTree(PlaylistTree tree) override {
        QMetaObject::invokeMethod(&page_, [&page = page_, tree = std::move(tree)]() mutable {
            page.replaceTree(std::move(tree));
        });
    }

  private:
    XplPage& page_;
};

} // namespace splitwick
