"""Loaded by the test cluster's workers at every start (Dask's preload): files named crash* kill the worker in native
code, files named slow* take 0.4 s more, as a file the library chokes on and a large file would."""

import ctypes
import os
import time

import vdacheck.archive

native = vdacheck.archive._archive_process


def process(args, item, output):
    name = os.path.basename(item[0])
    if name.startswith("crash"):
        ctypes.string_at(0)  # reads address 0: the worker process dies of SIGSEGV
    if name.startswith("slow"):
        time.sleep(0.4)
    return native(args, item, output)


def dask_setup(worker):
    vdacheck.archive._archive_process = process
