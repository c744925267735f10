auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
/ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
/ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
D auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
b auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
y auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
b auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
y auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
w auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
h auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
L auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
Z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
S auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
S auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
L auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
Z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
O auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(
    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } c auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } h auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } o auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } s auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } e auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } n auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                                 capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } a auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } t auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                                 capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } b auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } u auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } i auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } l auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } d auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                                 capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } t auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } i auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } m auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } e auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }) auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                  out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
/ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
/ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
f auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
h auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
p auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
p auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
k auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
:    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
h auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
m auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
p auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
#auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast <uint32_t>(size - 2), out.data(),
                               capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               i auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               n auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               l auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               u auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               d auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               e auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               < auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               s auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               t auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               d auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               d auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               e auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               f auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               > auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }

                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
#auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast <uint32_t>(size - 2), out.data(),
                               capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               i auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               n auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               l auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               u auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               d auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               e auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               < auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               s auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               t auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               d auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               i auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               n auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               t auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               > auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }

                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
#auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast <uint32_t>(size - 2), out.data(),
                               capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               i auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               n auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               l auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               u auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               d auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               e auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               < auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               s auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               t auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               r auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               i auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               n auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               g auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               > auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }

                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
#auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast <uint32_t>(size - 2), out.data(),
                               capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               i auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               n auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               l auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               u auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               d auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               e auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               < auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               v auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               e auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               t auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               o auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               r auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               > auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }

                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }

                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
#auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast <uint32_t>(size - 2), out.data(),
                               capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               i auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               n auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               l auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               u auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               d auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               e auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
"    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
p auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
k auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
/ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
C auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
h auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
"    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
#auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast <uint32_t>(size - 2), out.data(),
                               capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               i auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               n auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               c auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               l auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               u auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               d auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               e auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                            static_cast<uint32_t>(size - 2),
                                                            out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
                               auto produced = Decompress(FUZZ_METHOD, data + 2,
                                                          static_cast<uint32_t>(size - 2),
                                                          out.data(), capacity);
                               if (produced && *produced > capacity) {
                                   __builtin_trap();
                               }
"    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
f auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
m auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
m auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
h auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
"    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
x auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
"    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
C auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
"    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
L auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
L auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
V auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
M auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
F auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
I auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
l auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(
    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } i auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } n auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } t auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }* auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                  out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); },
    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                                 capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } c auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } h auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } a auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } r auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }* auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                  out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }* auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                  out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }* auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                  out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }) auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                  out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
{
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }

    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    S auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    l auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    n auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    c auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    M auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    g auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    B auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    o auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    x auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    (auto produced =
         Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
     if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    };
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }

    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    r auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    u auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    r auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    n auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    0 auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    };
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }

    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
x auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
"    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
C auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
"    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
L auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
L auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
V auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
M auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
F auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
T auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
O auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
I auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
p auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(
    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } c auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } o auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } n auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } s auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } t auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                                 capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } u auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } i auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } n auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } t auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } 8 auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } _ auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } t auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }* auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                  out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                                 capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } d auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } a auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } t auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } a auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); },
    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                                 capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } s auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } i auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } z auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } e auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } _ auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } t auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                                 capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } s auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } i auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } z auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    } e auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }) auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                  out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
{
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }

    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    f auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    (
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } s auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } i auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } z auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } e auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } < auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } 2 auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    {
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }

        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        r auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                     out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        e auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                     out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        t auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                     out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        u auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                     out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        r auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                     out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        n auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                     out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        0 auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                     out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        };
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }

        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) {
            __builtin_trap();
        }
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }

    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    / auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    / auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    T auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    h auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    f auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    r auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    w auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    o auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    b auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    y auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    z auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    h auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    d auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    n auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    o auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    n auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    (
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } u auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } p auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } t auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } o auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } 6 auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } 4 auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } K auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } i auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } B auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); },
        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } a auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } s auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } e auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } x auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } a auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } c auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } t auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } a auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } s auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); }

        auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2),
                                   out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } / auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } / auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } t auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } h auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } e auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } a auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } r auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } c auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } h auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } i auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } v auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); } e auto produced = Decompress(
            FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
        if (produced && *produced > capacity) { __builtin_trap(); }
'    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    o auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    r auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    g auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    n auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    l auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    z auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    w auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    o auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    u auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    l auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    d auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    b auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
)    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
3 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
2 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
p auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
y auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
= auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
< auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
3 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
2 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
> auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } d auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }[auto produced =
          Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
      if (produced && *produced > capacity) { __builtin_trap(); } 0 auto produced =
          Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
      if (produced && *produced > capacity) { __builtin_trap(); }] auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
| auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
< auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
3 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
2 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
> auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } d auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }[auto produced =
          Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
      if (produced && *produced > capacity) { __builtin_trap(); } 1 auto produced =
          Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
      if (produced && *produced > capacity) { __builtin_trap(); }] auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
< auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
< auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
8 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
:    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
:    auto produced = Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(),
                               capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
v auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
< auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
8 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
> auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } c auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } p auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } c auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } y auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
C auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
R auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
q auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
m auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
h auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
= auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
F auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
U auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
Z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
Z auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
M auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
E auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
T auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
H auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
O auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
D auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
= auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
+auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
2 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
L auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
g auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
h auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
= auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
< auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
3 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
2 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
_ auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
> auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } z auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } - auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } 2 auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
= auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(auto produced =
     Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
 if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
.auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
C auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
p auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
y auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
= auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
p auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
a auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
y auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
P auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
C auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
o auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
d auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
c auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
R auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
q auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
s auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } r auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
i auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
f auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
(
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } r auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); }.auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } d auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } s auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } n auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } o auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } n auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } L auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } e auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } n auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } g auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } h auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } > auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } c auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } p auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } c auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); } y auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
{
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }

    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    _ auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    _ auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    b auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    u auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    l auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    i auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    n auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    _ auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    t auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    r auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    a auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    p auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    (auto produced =
         Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
     if (produced && *produced > capacity) { __builtin_trap(); }) auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    };
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }

    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
    auto produced =
        Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
    if (produced && *produced > capacity) {
        __builtin_trap();
    }
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
e auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
t auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
u auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
r auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
n auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
0 auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
};
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
}
auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}

auto produced =
    Decompress(FUZZ_METHOD, data + 2, static_cast<uint32_t>(size - 2), out.data(), capacity);
if (produced && *produced > capacity) {
    __builtin_trap();
}
