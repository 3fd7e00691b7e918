#include "page_streams.hpp"

#include <emscripten.h>

// The JavaScript halves live in page_io.js, which is linked in front of the module.

// Copies up to `capacity` bytes that the page handed over into `buffer`, first waiting for
// some if there are none; 0 once the page has closed its input.
EM_ASYNC_JS(int, quellmoor_take_input, (char* buffer, int capacity),
            { return await quellmoorTakeInput(buffer, capacity); });

// The number of bytes handed over and not yet taken.
EM_JS(int, quellmoor_input_waiting, (), { return quellmoorInputWaiting(); });

EM_JS(void, quellmoor_show, (const char* text, int size), { quellmoorShow(text, size); });

EM_JS(void, quellmoor_flushed, (), { quellmoorFlushed(); });

namespace quellmoor::web {

PageInput::int_type PageInput::underflow() {
    const int count = quellmoor_take_input(buffer_.data(), static_cast<int>(buffer_.size()));
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
