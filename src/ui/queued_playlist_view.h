#pragma once
#include <memory>

#include "playlist/playlist_view.h"
#include "window_thread_queue.h"
#include "xpl_page.h"

namespace splitwick {

// The XPL page's views as a job on the worker thread fills them: each call goes to the page on
// the window's thread, in order.
class QueuedPlaylistView : public PlaylistView {
  public:
    QueuedPlaylistView(XplPage& page, WindowThreadQueue& queue) : page_(page), queue_(queue) {}
    void clearAndHideMemo() override {
        queue_.post([&page = page_] { page.clearAndHideMemo(); });
    }
    void showMemo(MemoLines lines) override {
        auto shared = std::make_shared<MemoLines>(std::move(lines));
        queue_.post([&page = page_, shared] { page.showMemo(std::move(*shared)); });
    }
    void replaceTree(PlaylistTree tree) override {
        auto shared = std::make_shared<PlaylistTree>(std::move(tree));
        queue_.post([&page = page_, shared] { page.replaceTree(std::move(*shared)); });
    }

  private:
    XplPage& page_;
    WindowThreadQueue& queue_;
};

} // namespace splitwick
