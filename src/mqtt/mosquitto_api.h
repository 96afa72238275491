#pragma once

// libmosquitto, opened when a leader or a follower first needs it: a clock that does neither
// never maps it, nor the OpenSSL it brings, some 2 MB of the program's memory.

#include <mosquitto.h>

namespace orvane {

struct MosquittoApi {
    decltype(&::mosquitto_lib_init) lib_init = nullptr;
    decltype(&::mosquitto_new) make = nullptr;
    decltype(&::mosquitto_destroy) destroy = nullptr;
    decltype(&::mosquitto_int_option) int_option = nullptr;
    decltype(&::mosquitto_reconnect_delay_set) reconnect_delay_set = nullptr;
    decltype(&::mosquitto_connect_callback_set) connect_callback_set = nullptr;
    decltype(&::mosquitto_disconnect_callback_set) disconnect_callback_set = nullptr;
    decltype(&::mosquitto_message_callback_set) message_callback_set = nullptr;
    decltype(&::mosquitto_publish_callback_set) publish_callback_set = nullptr;
    decltype(&::mosquitto_username_pw_set) username_pw_set = nullptr;
    decltype(&::mosquitto_tls_set) tls_set = nullptr;
    decltype(&::mosquitto_connect_async) connect_async = nullptr;
    decltype(&::mosquitto_strerror) strerror = nullptr;
    decltype(&::mosquitto_loop_start) loop_start = nullptr;
    decltype(&::mosquitto_disconnect) disconnect = nullptr;
    decltype(&::mosquitto_loop_stop) loop_stop = nullptr;
    decltype(&::mosquitto_publish) publish = nullptr;
    decltype(&::mosquitto_subscribe) subscribe = nullptr;
    decltype(&::mosquitto_connack_string) connack_string = nullptr;
    decltype(&::mosquitto_log_callback_set) log_callback_set = nullptr;
};

// The library, or null where it is not installed. Opened and set up once for the program.
const MosquittoApi* library();
// Only called once library() found it.
const MosquittoApi& api();

} // namespace orvane
