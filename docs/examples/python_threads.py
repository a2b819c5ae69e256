"""Threads: one instance per thread. Loading runs without the GIL, so the
threads load their catalogues side by side; an instance that threads share
serves one call at a time."""
import threading

import pipedex

counts = [0] * 4


def work(slot):
    catalogue = pipedex.Pipedex()  # this thread's own instance and its own copy of the catalogue
    counts[slot] = len(catalogue.skeys())


threads = [threading.Thread(target=work, args=(slot,)) for slot in range(len(counts))]
for thread in threads:
    thread.start()
for thread in threads:
    thread.join()
for slot, count in enumerate(counts):
    print(f"thread {slot}: {count} SKEYs")
