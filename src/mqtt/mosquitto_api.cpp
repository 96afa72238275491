#include "mqtt/mosquitto_api.h"

#include <dlfcn.h>

#include <type_traits>

namespace orvane {

namespace {

const MosquittoApi* loadApi() {
    void* lib = dlopen("libmosquitto.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return nullptr;
    static MosquittoApi a;
    auto take = [lib](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(lib, name));
        return slot != nullptr;
    };
    const bool all = true
        && take(a.lib_init, "mosquitto_lib_init")
        && take(a.make, "mosquitto_new")
        && take(a.destroy, "mosquitto_destroy")
        && take(a.int_option, "mosquitto_int_option")
        && take(a.reconnect_delay_set, "mosquitto_reconnect_delay_set")
        && take(a.connect_callback_set, "mosquitto_connect_callback_set")
        && take(a.disconnect_callback_set, "mosquitto_disconnect_callback_set")
        && take(a.message_callback_set, "mosquitto_message_callback_set")
        && take(a.publish_callback_set, "mosquitto_publish_callback_set")
        && take(a.username_pw_set, "mosquitto_username_pw_set")
        && take(a.tls_set, "mosquitto_tls_set")
        && take(a.connect_async, "mosquitto_connect_async")
        && take(a.strerror, "mosquitto_strerror")
        && take(a.loop_start, "mosquitto_loop_start")
        && take(a.disconnect, "mosquitto_disconnect")
        && take(a.loop_stop, "mosquitto_loop_stop")
        && take(a.publish, "mosquitto_publish")
        && take(a.subscribe, "mosquitto_subscribe")
        && take(a.connack_string, "mosquitto_connack_string")
        && take(a.log_callback_set, "mosquitto_log_callback_set");
    if (!all) {
        dlclose(lib);
        return nullptr;
    }
    return &a;
}

} // namespace

const MosquittoApi* library() {
    static const MosquittoApi* loaded = [] {
        const MosquittoApi* a = loadApi();
        // Never cleaned up: a connection winding down on its own thread may still use the
        // library while the program exits.
        if (a)
            a->lib_init();
        return a;
    }();
    return loaded;
}

const MosquittoApi& api() {
    return *library();
}

} // namespace orvane
