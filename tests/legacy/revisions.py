#!/usr/bin/python3
"""Reads documents the way a reviewer would, in a LibreOffice of its own.

    revisions.py FILE...

For each file prints one line: its path, the number of recorded changes and
how many of each author and type ("Ann/Delete:2,Ann/Insert:3"), tab-separated; and
writes beside it FILE.accepted.txt and FILE.rejected.txt, the text after
accepting and after rejecting all of them with LibreOffice's own commands.
"""
import collections
import os
import shutil
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue


def props(**values):
    result = []
    for name, value in values.items():
        prop = PropertyValue()
        prop.Name, prop.Value = name, value
        result.append(prop)
    return tuple(result)


def start(folder):
    pipe = "pellucor_revisions_%d" % os.getpid()
    process = subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--norestore", "--nologo",
         "-env:UserInstallation=" + uno.systemPathToFileUrl(os.path.join(folder, "profile")),
         "--accept=pipe,name=%s;urp;" % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    url = "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe
    for _ in range(1200):
        try:
            context = resolver.resolve(url)
            return process, context
        except Exception:
            if process.poll() is not None:
                sys.exit("revisions.py: LibreOffice ended before it answered")
            time.sleep(0.05)
    process.kill()
    sys.exit("revisions.py: LibreOffice did not answer")


def text_after(desktop, dispatcher, path, command):
    document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(path), "_blank", 0,
                                            props(Hidden=True))
    if document is None:
        sys.exit("revisions.py: LibreOffice could not load %s" % path)
    try:
        changes = [(change.RedlineAuthor, change.RedlineType)
                   for change in iterate(document.getRedlines())]
        frame = document.getCurrentController().getFrame()
        dispatcher.executeDispatch(frame, command, "", 0, ())
        return changes, document.getText().getString()
    finally:
        document.close(True)


def iterate(access):
    items = access.createEnumeration()
    while items.hasMoreElements():
        yield items.nextElement()


def main():
    folder = tempfile.mkdtemp(prefix="pellucor-revisions-")
    process, context = start(folder)
    try:
        services = context.ServiceManager
        desktop = services.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        dispatcher = services.createInstanceWithContext(
            "com.sun.star.frame.DispatchHelper", context)
        for path in sys.argv[1:]:
            path = os.path.abspath(path)
            changes, accepted = text_after(desktop, dispatcher, path,
                                           ".uno:AcceptAllTrackedChanges")
            _, rejected = text_after(desktop, dispatcher, path, ".uno:RejectAllTrackedChanges")
            for suffix, text in ((".accepted.txt", accepted), (".rejected.txt", rejected)):
                with open(path + suffix, "w", encoding="utf-8") as out:
                    out.write(text)
            kinds = collections.Counter("%s/%s" % change for change in changes)
            kinds = ",".join("%s:%d" % kind for kind in sorted(kinds.items()))
            print("%s\t%d\t%s" % (path, len(changes), kinds), flush=True)
        try:
            desktop.terminate()
        except Exception:
            pass
    finally:
        try:
            process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            process.kill()
        shutil.rmtree(folder, ignore_errors=True)


main()
