// The component object model on this thread, single-threaded apartment,
// with OLE on top of it for the embedded browser's in-place activation;
// released when the owner goes.
#pragma once

#include <ole2.h>

namespace app {

class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~ComApartment()
    {
        if (initialised_)
            OleUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

}  // namespace app
