// The GPIO chip emulation: the sysfs device, the chip node's ioctls and one emulated node
// per line handle.
#include "gpio_emulator.h"

#include "umockdev_support.h"

#include <umockdev.h>

#include <linux/gpio.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <deque>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

namespace test_support {

namespace {

void copy_name(char (&target)[GPIO_MAX_NAME_SIZE], const std::string& text) {
    std::memset(target, 0, sizeof target);
    std::strncpy(target, text.c_str(), sizeof target - 1);
}

// The emulator whose handle calls are served in-process, if any.
std::atomic<gpio_emulator::impl*> serving_directly{nullptr};

} // namespace

struct gpio_emulator::impl {
    // A line handle: its node's handler and the request it carries.
    struct handle {
        impl* owner;
        std::size_t request;
        UMockdevIoctlBase* handler = nullptr;
        int fd = -1;
        std::string file; // the node's file in the testbed
    };

    explicit impl(const gpio_chip_setup& chip) : setup(chip), board(nullptr, chip.wiring, false) {}

    bool active_low(const request_record& r) const {
        return (r.flags & GPIOHANDLE_REQUEST_ACTIVE_LOW) != 0;
    }

    // The granted, unreleased request holding `offset`, if any.
    const request_record* holder(std::uint32_t offset) const {
        for (const request_record& r : records)
            if (r.granted && !r.released &&
                std::find(r.offsets.begin(), r.offsets.end(), offset) != r.offsets.end())
                return &r;
        return nullptr;
    }

    gboolean chip_ioctl(UMockdevIoctlClient* client) {
        std::unique_lock lock(mutex);
        const gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        if (request != GPIO_GET_CHIPINFO_IOCTL && request != GPIO_GET_LINEINFO_IOCTL &&
            request != GPIO_GET_LINEHANDLE_IOCTL)
            return FALSE;
        notice_closed_handles();
        if (gone)
            return complete(client, ENODEV);
        if (request == GPIO_GET_CHIPINFO_IOCTL) {
            UMockdevIoctlData* d =
                umockdev_ioctl_data_resolve(arg, 0, sizeof(gpiochip_info), nullptr);
            auto* info = reinterpret_cast<gpiochip_info*>(d->data);
            copy_name(info->name, "gpiochip" + std::to_string(setup.number));
            copy_name(info->label, setup.label);
            info->lines = setup.lines;
            g_object_unref(d);
            return complete(client);
        }
        if (request == GPIO_GET_LINEINFO_IOCTL) {
            UMockdevIoctlData* d =
                umockdev_ioctl_data_resolve(arg, 0, sizeof(gpioline_info), nullptr);
            auto* info = reinterpret_cast<gpioline_info*>(d->data);
            const std::uint32_t offset = info->line_offset;
            int error = offset < setup.lines ? 0 : EINVAL;
            if (error == 0) {
                std::memset(info, 0, sizeof *info);
                info->line_offset = offset;
                copy_name(info->name, "GPIO" + std::to_string(offset));
                if (const request_record* r = holder(offset)) {
                    info->flags = GPIOLINE_FLAG_KERNEL;
                    if ((r->flags & GPIOHANDLE_REQUEST_OUTPUT) != 0)
                        info->flags |= GPIOLINE_FLAG_IS_OUT;
                    if (active_low(*r))
                        info->flags |= GPIOLINE_FLAG_ACTIVE_LOW;
                    copy_name(info->consumer, r->consumer);
                }
            }
            g_object_unref(d);
            return complete(client, error);
        }
        UMockdevIoctlData* d =
            umockdev_ioctl_data_resolve(arg, 0, sizeof(gpiohandle_request), nullptr);
        auto* wanted = reinterpret_cast<gpiohandle_request*>(d->data);
        const int error = grant(*wanted);
        g_object_unref(d);
        return complete(client, error);
    }

    // Records the request and, when the kernel would grant it, opens its handle node and
    // applies the flags and initial values.
    int grant(gpiohandle_request& wanted) {
        request_record r;
        const std::uint32_t count = std::min<std::uint32_t>(wanted.lines, GPIOHANDLES_MAX);
        r.offsets.assign(wanted.lineoffsets, wanted.lineoffsets + count);
        r.flags = wanted.flags;
        for (std::uint32_t k = 0; k < count; ++k)
            r.initial.push_back(wanted.default_values[k]);
        r.consumer = std::string(wanted.consumer_label,
                                 strnlen(wanted.consumer_label, sizeof wanted.consumer_label));
        const bool bias =
            (r.flags & (GPIOHANDLE_REQUEST_BIAS_PULL_UP | GPIOHANDLE_REQUEST_BIAS_PULL_DOWN |
                        GPIOHANDLE_REQUEST_BIAS_DISABLE)) != 0;
        int error = 0;
        if (count == 0 || (bias && !setup.bias_supported))
            error = EINVAL;
        for (const std::uint32_t offset : r.offsets)
            if (error == 0 && offset >= setup.lines)
                error = EINVAL;
            else if (error == 0 && holder(offset) != nullptr)
                error = EBUSY;
        records.push_back(r);
        if (error != 0)
            return error;
        const std::size_t index = records.size() - 1;
        notice_closed_handles(); // a new descriptor may reuse a closed one's number
        handles.push_back({this, index, nullptr, -1, {}});
        handle& h = handles.back();
        h.handler = umockdev_ioctl_base_new();
        g_signal_connect_after(h.handler, "handle-ioctl", G_CALLBACK(on_handle_ioctl), &h);
        const std::string node = "/dev/gpiochip" + std::to_string(setup.number) + "-handle" +
                                 std::to_string(handles.size());
        GError* failure = nullptr;
        check(umockdev_testbed_attach_ioctl(testbed, node.c_str(), h.handler, &failure), failure,
              "emulate " + node);
        // The preload library opens a node only where the testbed has its file.
        gchar* root = umockdev_testbed_get_root_dir(testbed);
        h.file = std::string(root) + node;
        g_free(root);
        std::ofstream{h.file};
        const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return errno;
        h.fd = wanted.fd = fd;
        records[index].granted = true;
        const std::int64_t t = host_now_ns();
        for (std::uint32_t k = 0; k < count; ++k) {
            if ((r.flags & GPIOHANDLE_REQUEST_OUTPUT) != 0)
                board.drive(r.offsets[k], (r.initial[k] != 0) != active_low(r), t);
            else
                board.release(r.offsets[k], t);
        }
        return 0;
    }

    static gboolean on_handle_ioctl(UMockdevIoctlBase*, UMockdevIoctlClient* client,
                                    gpointer data) {
        auto* h = static_cast<handle*>(data);
        return h->owner->handle_ioctl(*h, client);
    }

    // Releases the lines of every handle whose file descriptor has been closed: umockdev
    // reports no closing, so the descriptor is looked up (each handle's node has a name of
    // its own, so a reused number does not count).
    void notice_closed_handles() {
        for (handle& h : handles) {
            request_record& r = records[h.request];
            if (r.released)
                continue;
            char target[4096];
            const std::string link = "/proc/self/fd/" + std::to_string(h.fd);
            const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
            if (length > 0 && std::string(target, static_cast<std::size_t>(length)) == h.file)
                continue;
            r.released = true;
            for (const std::uint32_t offset : r.offsets)
                board.release(offset, host_now_ns());
        }
    }

    // Whether this call is the one the chip vanishes at.
    bool vanishes_now() {
        if (!calls_left || (*calls_left)-- > 0)
            return false;
        gone = true;
        calls_left.reset();
        board.release_all(host_now_ns());
        return true;
    }

    // A set or get on handle `h`: 0 or the errno the kernel would give.
    int serve(const handle& h, unsigned long request, gpiohandle_data& data) {
        if (gone || vanishes_now())
            return ENODEV;
        const request_record& r = records[h.request];
        const std::int64_t t = host_now_ns();
        if (request == GPIOHANDLE_GET_LINE_VALUES_IOCTL) {
            for (std::size_t k = 0; k < r.offsets.size(); ++k)
                data.values[k] = board.read(r.offsets[k], t) != active_low(r) ? 1 : 0;
            return 0;
        }
        ++set_calls;
        if ((r.flags & GPIOHANDLE_REQUEST_OUTPUT) == 0)
            return EPERM; // the kernel refuses to set an input
        for (std::size_t k = 0; k < r.offsets.size(); ++k)
            board.drive(r.offsets[k], (data.values[k] != 0) != active_low(r), t);
        return 0;
    }

    gboolean handle_ioctl(handle& h, UMockdevIoctlClient* client) {
        std::lock_guard lock(mutex);
        const gulong request = umockdev_ioctl_client_get_request(client);
        if (request != GPIOHANDLE_SET_LINE_VALUES_IOCTL &&
            request != GPIOHANDLE_GET_LINE_VALUES_IOCTL)
            return FALSE;
        UMockdevIoctlData* d = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0,
                                                           sizeof(gpiohandle_data), nullptr);
        const int error = serve(h, request, *reinterpret_cast<gpiohandle_data*>(d->data));
        g_object_unref(d);
        return complete(client, error);
    }

    // The same in the calling thread, for a handle's descriptor while handle calls are
    // served in-process; false for any other call.
    bool serve_directly(int fd, unsigned long request, void* arg, int& result) {
        if (request != GPIOHANDLE_SET_LINE_VALUES_IOCTL &&
            request != GPIOHANDLE_GET_LINE_VALUES_IOCTL)
            return false;
        std::lock_guard lock(mutex);
        const auto h = std::find_if(handles.begin(), handles.end(), [&](const handle& e) {
            return e.fd == fd && !records[e.request].released;
        });
        if (h == handles.end())
            return false;
        const int error = serve(*h, request, *static_cast<gpiohandle_data*>(arg));
        errno = error;
        result = error != 0 ? -1 : 0;
        return true;
    }

    gpio_chip_setup setup;
    mutable std::mutex mutex;
    hardware::gpio_pin_board board;
    std::vector<request_record> records;
    std::deque<handle> handles;
    std::optional<std::int64_t> calls_left;
    bool gone = false;
    std::int64_t set_calls = 0;
    UMockdevTestbed* testbed = nullptr;
    UMockdevIoctlBase* chip_handler = nullptr;
};

gpio_emulator::gpio_emulator(gpio_chip_setup setup)
    : setup_(std::move(setup)), impl_(std::make_unique<impl>(setup_)) {
    if (!in_mock_environment())
        throw std::runtime_error(
            "run this test under umockdev-wrapper (umockdev's preload library)");
    // Every emulated call ends with a zero sleep in the preload library, which would
    // otherwise last the default timer slack of 50 us.
    ::prctl(PR_SET_TIMERSLACK, 1UL);
    if (setup_.handle_calls_in_process)
        serving_directly.store(impl_.get());
    impl_->testbed = umockdev_testbed_new();
    impl_->chip_handler = umockdev_ioctl_base_new();
    const auto on_ioctl = +[](UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        return static_cast<impl*>(self)->chip_ioctl(client);
    };
    g_signal_connect_after(impl_->chip_handler, "handle-ioctl", G_CALLBACK(on_ioctl), impl_.get());
    const std::string name = "gpiochip" + std::to_string(setup_.number);
    GError* error = nullptr;
    check(
        umockdev_testbed_attach_ioctl(impl_->testbed, path().c_str(), impl_->chip_handler, &error),
        error, "emulate " + path());
    const std::string record = "P: /devices/platform/gpio-sim.0/" + name + "\nN: " + name +
                               "\nE: SUBSYSTEM=gpio\nE: DEVNAME=" + path() +
                               "\nA: dev=254:" + std::to_string(setup_.number) + "\\n\n";
    check(umockdev_testbed_add_from_string(impl_->testbed, record.c_str(), &error), error,
          "add the GPIO chip");
}

gpio_emulator::~gpio_emulator() {
    serving_directly.store(nullptr);
    g_clear_object(&impl_->testbed);
    g_clear_object(&impl_->chip_handler);
    for (impl::handle& h : impl_->handles)
        g_clear_object(&h.handler);
}

bool gpio_emulator::in_mock_environment() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

void gpio_emulator::insert_chip(std::unique_ptr<hardware::target_chip> chip) {
    std::lock_guard lock(impl_->mutex);
    impl_->board.insert_chip(std::move(chip));
}

hardware::gpio_pin_board::chip_levels gpio_emulator::levels() const {
    std::lock_guard lock(impl_->mutex);
    impl_->notice_closed_handles();
    return impl_->board.levels();
}

void gpio_emulator::vanish_after(std::int64_t calls) {
    std::lock_guard lock(impl_->mutex);
    impl_->calls_left = calls;
    if (calls <= 0)
        impl_->vanishes_now();
}

std::vector<gpio_emulator::request_record> gpio_emulator::requests() const {
    std::lock_guard lock(impl_->mutex);
    impl_->notice_closed_handles();
    return impl_->records;
}

bool gpio_emulator::all_released() const {
    const auto records = requests();
    return std::none_of(records.begin(), records.end(),
                        [](const request_record& r) { return r.granted && !r.released; });
}

std::int64_t gpio_emulator::set_calls() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->set_calls;
}

} // namespace test_support

// Calls on a line handle's descriptor while an emulator serves them in-process; every other
// call goes on to umockdev's preload library and from there to the kernel. libgpiod's
// calls reach this definition, as the executable comes first in symbol lookup.
extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list arguments;
    va_start(arguments, request);
    void* arg = va_arg(arguments, void*);
    va_end(arguments);
    if (test_support::gpio_emulator::impl* emulator = test_support::serving_directly.load()) {
        int result = 0;
        if (emulator->serve_directly(fd, request, arg, result))
            return result;
    }
    using ioctl_function = int (*)(int, unsigned long, ...);
    static const auto next = reinterpret_cast<ioctl_function>(dlsym(RTLD_NEXT, "ioctl"));
    return next(fd, request, arg);
}
