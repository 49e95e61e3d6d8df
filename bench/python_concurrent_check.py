#!/usr/bin/env python3
"""Checks two models one after the other, then both at once from two Python threads, and prints the times.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_concurrent_check.py [FACES]

Each model holds FACES trimmed faces (default 50,000), each with its surface, space curve and curve on surface.
check() releases the GIL, so on two free cores the threads take about as long as one check; the CPU time of the
process over the wall time of the threaded run says how many cores were busy meanwhile, also on a loaded machine.
"""

import sys
import threading
import time

import vdacheck


def model_text(faces: int, tag: str) -> str:
    lines = [f"{tag} = HEADER / 0"]
    for i in range(faces):
        lines += [
            f"S{i} = SURF / 1, 1, 0., 1., 0., 1.,",
            "  2, 2, 0., 100., 0., 0., 0., 0., 60., 0., 0., 0., 0., 0.",
            f"C{i} = CURVE / 1, 0., 1., 2, 0., 100., 0., 0., 0., 0.",
            f"N{i} = CONS / S{i}, C{i}, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.",
            f"F{i} = FACE / S{i}, 1, 1, N{i}, 0., 1.",
        ]
    lines += [f"{tag} = END", ""]
    return "\n".join(lines)


def main() -> None:
    faces = int(sys.argv[1]) if len(sys.argv) > 1 else 50000
    models = [vdacheck.read(model_text(faces, tag), tag) for tag in ("A", "B")]
    for model in models:  # warm up: first-touch page faults and allocator growth stay out of the times
        vdacheck.check(model)

    start = time.perf_counter()
    for model in models:
        vdacheck.check(model)
    sequential = time.perf_counter() - start

    threads = [threading.Thread(target=vdacheck.check, args=(model,)) for model in models]
    start, cpu = time.perf_counter(), time.process_time()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    concurrent = time.perf_counter() - start
    cpu = time.process_time() - cpu

    print(f"{len(models[0])} entities per model")
    print(f"one after the other: {sequential:.3f} s")
    print(f"two threads at once: {concurrent:.3f} s ({sequential / concurrent:.2f}x); "
          f"{cpu / concurrent:.2f} cores busy on average (CPU time over wall time)")


if __name__ == "__main__":
    main()
