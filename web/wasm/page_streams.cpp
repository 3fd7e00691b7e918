#include "page_streams.hpp"

#include <emscripten.h>

// The JavaScript halves live in page_io.js, which is linked in front of the module.

// Tells the page the game wants input and copies up to `capacity` bytes of what is there
// into `buffer`: 0 once the page has closed its input, -1 if there is none yet.
EM_JS(int, quellmoor_take_ready, (char* buffer, int capacity),
      { return quellmoorTakeReady(buffer, capacity); });

// Waits for the page to hand over input, then copies up to `capacity` bytes of it into
// `buffer`; 0 once the page has closed its input.
EM_ASYNC_JS(int, quellmoor_take_input, (char* buffer, int capacity),
            { return await quellmoorTakeInput(buffer, capacity); });

// The number of bytes handed over and not yet taken.
EM_JS(int, quellmoor_input_waiting, (), { return quellmoorInputWaiting(); });

EM_JS(void, quellmoor_show, (const char* text, int size), { quellmoorShow(text, size); });

EM_JS(void, quellmoor_flushed, (), { quellmoorFlushed(); });

namespace quellmoor::web {

PageInput::int_type PageInput::underflow() {
    const int capacity = static_cast<int>(buffer_.size());
    int count = quellmoor_take_ready(buffer_.data(), capacity);
    if (count < 0) {
        count = quellmoor_take_input(buffer_.data(), capacity);  // suspends the game meanwhile
    }
    if (count <= 0) {
        return traits_type::eof();
    }
    setg(buffer_.data(), buffer_.data(), buffer_.data() + count);
    return traits_type::to_int_type(buffer_[0]);
}

std::streamsize PageInput::showmanyc() {
    return quellmoor_input_waiting();
}

std::streamsize PageOutput::xsputn(const char* text, std::streamsize size) {
    if (size > 0) {
        quellmoor_show(text, static_cast<int>(size));
    }
    return size;
}

PageOutput::int_type PageOutput::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
}

int PageOutput::sync() {
    quellmoor_flushed();
    return 0;
}

}  // namespace quellmoor::web
