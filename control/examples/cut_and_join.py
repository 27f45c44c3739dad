#!/usr/bin/env python3
"""Cuts an MP3 or WAVE file into two halves by time, then joins the halves again, printing the
progress libTandrel reports; the standard library only (ctypes).

    python3 cut_and_join.py song.mp3 /tmp [path/to/libTandrel.so.1]
"""
import ctypes
import ctypes.util
import os
import sys

TANDREL_OK = 0
TANDREL_EVENT_STATUS_CHANGE, TANDREL_EVENT_CUT, TANDREL_EVENT_JOIN = 1, 2, 3

EventCallback = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_int, ctypes.c_short)


def load(path=None):
    lib = ctypes.CDLL(path or ctypes.util.find_library("Tandrel") or "libTandrel.so.1")
    lib.Tandrel_Create.restype = ctypes.c_void_p
    lib.Tandrel_Release.argtypes = [ctypes.c_void_p]
    lib.Tandrel_Version.restype = ctypes.c_char_p
    for name in ("Tandrel_ResultMessage", "Tandrel_JoinResultMessage"):
        getattr(lib, name).restype = ctypes.c_char_p
        getattr(lib, name).argtypes = [ctypes.c_int]
    lib.Tandrel_Advise.argtypes = [ctypes.c_void_p, EventCallback, ctypes.c_void_p]
    lib.Tandrel_Advise.restype = ctypes.c_uint32
    lib.Tandrel_GetPlayTime.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    lib.Tandrel_GetPlayTime.restype = ctypes.c_int32
    lib.Tandrel_CutByTime.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p,
                                      ctypes.c_short]
    lib.Tandrel_CutByTime.restype = ctypes.c_short
    lib.Tandrel_Join.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p,
                                 ctypes.c_short]
    lib.Tandrel_Join.restype = ctypes.c_short
    return lib


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__.strip(), file=sys.stderr)
        return 64
    source, folder = argv[1], argv[2]
    lib = load(argv[3] if len(argv) == 4 else None)
    print("libTandrel", lib.Tandrel_Version().decode())
    extension = os.path.splitext(source)[1]
    first, second, joined = (os.path.join(folder, name + extension)
                             for name in ("first", "second", "joined"))

    def on_event(_context, dispid, value):
        names = {TANDREL_EVENT_CUT: "cut", TANDREL_EVENT_JOIN: "join"}
        if dispid in names:
            print(f"{names[dispid]}: {value} %")
        elif dispid == TANDREL_EVENT_STATUS_CHANGE:
            print(f"done (status {value})")

    callback = EventCallback(on_event)  # kept alive while the object may call it
    obj = lib.Tandrel_Create()
    lib.Tandrel_Advise(obj, callback, None)
    try:
        half = lib.Tandrel_GetPlayTime(obj, source.encode()) // 2
        sections = f"1;{half};{first}|{half + 1};-1;{second}"
        code = lib.Tandrel_CutByTime(obj, source.encode(), sections.encode(), 2)
        print(lib.Tandrel_ResultMessage(code).decode())
        if code == TANDREL_OK:
            code = lib.Tandrel_Join(obj, joined.encode(), f"{first}|{second}".encode(), 2)
            print(lib.Tandrel_JoinResultMessage(code).decode())
    finally:
        lib.Tandrel_Release(obj)
    return 0 if code == TANDREL_OK else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
