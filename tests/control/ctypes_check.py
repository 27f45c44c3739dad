"""Drives libTandrel through its C interface with ctypes: joins three WAVE files, cuts the
result by time and by size, and checks results, events and files.

Usage: ctypes_check.py /path/to/libTandrel.so
"""

import ctypes
import os
import sys
import tempfile
import wave

EVENT = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_int, ctypes.c_short)
STATUS, CUT, JOIN = 1, 2, 3


def load(path):
    lib = ctypes.CDLL(path)
    obj = ctypes.c_void_p
    text = ctypes.c_char_p
    signatures = {
        "Tandrel_Create": ([], obj),
        "Tandrel_Release": ([obj], None),
        "Tandrel_Advise": ([obj, EVENT, ctypes.c_void_p], ctypes.c_uint32),
        "Tandrel_Unadvise": ([obj, ctypes.c_uint32], ctypes.c_int),
        "Tandrel_Join": ([obj, text, text, ctypes.c_short], ctypes.c_short),
        "Tandrel_CutByTime": ([obj, text, text, ctypes.c_short], ctypes.c_short),
        "Tandrel_CutBySize": ([obj, text, ctypes.c_int32, text], ctypes.c_short),
        "Tandrel_GetFileSize": ([obj, text], ctypes.c_int32),
        "Tandrel_GetPlayTime": ([obj, text], ctypes.c_int32),
        "Tandrel_CanUnloadNow": ([], ctypes.c_int),
    }
    for name, (args, result) in signatures.items():
        function = getattr(lib, name)
        function.argtypes = args
        function.restype = result
    return lib


def write_wave(path, data_size, seed):
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(44100)
        out.writeframes(bytes((i * 31 + seed) % 256 for i in range(data_size)))


def main():
    lib = load(sys.argv[1])
    events = []
    on_event = EVENT(lambda context, dispid, value: events.append((dispid, value)))

    with tempfile.TemporaryDirectory() as folder:
        inputs = [os.path.join(folder, name) for name in ("a.wav", "b.wav", "c.wav")]
        for seed, (path, size) in enumerate(zip(inputs, (1000, 2000, 3000))):
            write_wave(path, size, seed)
        joined = os.path.join(folder, "joined.wav")

        assert lib.Tandrel_CanUnloadNow() == 1
        obj = lib.Tandrel_Create()
        assert obj
        assert lib.Tandrel_CanUnloadNow() == 0
        cookie = lib.Tandrel_Advise(obj, on_event, None)
        assert cookie > 0

        code = lib.Tandrel_Join(obj, joined.encode(), "|".join(inputs).encode(), 3)
        assert code == 0, code
        assert events == [(JOIN, 33), (JOIN, 66), (JOIN, 100), (STATUS, 4)], events
        assert lib.Tandrel_GetFileSize(obj, joined.encode()) == 6044
        assert lib.Tandrel_GetPlayTime(obj, joined.encode()) == 34
        with open(joined, "rb") as f:
            data = f.read()[44:]
        expected = b"".join(open(p, "rb").read()[44:] for p in inputs)
        assert data == expected

        pieces = [os.path.join(folder, name) for name in ("p1.wav", "p2.wav")]
        sections = "1;10;%s|11;-1;%s" % tuple(pieces)
        del events[:]
        code = lib.Tandrel_CutByTime(obj, joined.encode(), sections.encode(), 2)
        assert code == 0, code
        assert events == [(CUT, 50), (CUT, 100), (STATUS, 3)], events
        assert [os.path.getsize(p) for p in pieces] == [44 + 1764, 44 + 4236]

        del events[:]
        code = lib.Tandrel_CutBySize(obj, joined.encode(), 2500, folder.encode())
        assert code == 0, code
        assert events == [(CUT, 33), (CUT, 66), (CUT, 100), (STATUS, 3)], events
        sizes = [os.path.getsize(os.path.join(folder, "joined_%d.wav" % k)) for k in (1, 2, 3)]
        assert sizes == [2544, 2544, 1044], sizes

        del events[:]
        assert lib.Tandrel_CutByTime(obj, b"song.txt", b"1;2;x.txt", 1) == 5
        assert events == []

        assert lib.Tandrel_Unadvise(obj, cookie) == 1
        lib.Tandrel_Release(obj)
        assert lib.Tandrel_CanUnloadNow() == 1
    print("ctypes: all checks passed")


if __name__ == "__main__":
    main()
