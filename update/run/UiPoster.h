// The one path from a worker thread to the thread that owns a view: closures
// posted here run there, one after another, in the order they were posted.
// Workers hold the poster through shared ownership, so it outlives its view;
// once the view is gone it drops what is posted instead of running it.
#pragma once

#include <functional>

class UiPoster {
public:
    virtual ~UiPoster() = default;
    // Safe from any thread.
    virtual void Post(std::function<void()> fn) = 0;
};
