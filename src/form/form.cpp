#include "form/form.h"

namespace qinghe {

void Pause(Form& form, int ms) {
    const std::uint32_t begin = form.TickCount();
    // Unsigned difference: correct across a wrap of the tick count.
    while (!form.IsClosing() && static_cast<std::int64_t>(form.TickCount() - begin) <= ms) {
        form.ProcessEvents();
    }
}

}  // namespace qinghe
