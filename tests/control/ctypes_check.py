"""Drives libTandrel through its C interface with ctypes: joins three WAVE files, cuts the result
by time, and checks results, events and files. Usage: ctypes_check.py LIBRARY"""

import ctypes
import os
import struct
import sys
import tempfile

EVENT = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_int, ctypes.c_short)
OBJ, TEXT, SHORT = ctypes.c_void_p, ctypes.c_char_p, ctypes.c_short

lib = ctypes.CDLL(sys.argv[1])
for name, args, result in [("Create", [], OBJ), ("Release", [OBJ], None),
                           ("Advise", [OBJ, EVENT, ctypes.c_void_p], ctypes.c_uint32),
                           ("Unadvise", [OBJ, ctypes.c_uint32], ctypes.c_int),
                           ("Join", [OBJ, TEXT, TEXT, SHORT], SHORT),
                           ("CutByTime", [OBJ, TEXT, TEXT, SHORT], SHORT)]:
    function = getattr(lib, "Tandrel_" + name)
    function.argtypes, function.restype = args, result

events = []
on_event = EVENT(lambda context, dispid, value: events.append((dispid, value)))

with tempfile.TemporaryDirectory() as folder:
    path = lambda name: os.path.join(folder, name).encode()
    inputs = [path(name) for name in ("a.wav", "b.wav", "c.wav")]
    samples = [bytes((i * 31 + seed) % 256 for i in range(1000 * seed)) for seed in (1, 2, 3)]
    for name, data in zip(inputs, samples):
        with open(name, "wb") as out:  # 44100 Hz, 16-bit stereo
            out.write(struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ",
                                  16, 1, 2, 44100, 176400, 4, 16, b"data", len(data)) + data)
    joined, pieces = path("joined.wav"), (path("p1.wav"), path("p2.wav"))

    obj = lib.Tandrel_Create()
    cookie = lib.Tandrel_Advise(obj, on_event, None)

    assert lib.Tandrel_Join(obj, joined, b"|".join(inputs), 3) == 0
    assert events == [(3, 33), (3, 66), (3, 100), (1, 4)], events
    with open(joined, "rb") as f:
        assert f.read()[44:] == b"".join(samples)

    del events[:]
    assert lib.Tandrel_CutByTime(obj, joined, b"1;10;%s|11;-1;%s" % pieces, 2) == 0
    assert events == [(2, 50), (2, 100), (1, 3)], events
    assert [os.path.getsize(p) for p in pieces] == [44 + 1764, 44 + 4236]  # 10 ms, the rest
    assert lib.Tandrel_Unadvise(obj, cookie) == 1
    lib.Tandrel_Release(obj)
print("ctypes: all checks passed")
