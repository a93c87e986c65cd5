# A stand-in for LibreOffice's UNO bridge, enough for the converter's helper
# to be tested without LibreOffice. A document is a text file; what it holds
# says how the stand-in treats it: "refused" fails its loading while
# LibreOffice goes on, "crash" fails it with LibreOffice gone, "objects" gives
# it an embedded object, "slow" takes a second to load.
import sys
import time
import types

GONE = []


class Failure(Exception):
    def __init__(self, message):
        super().__init__(message)
        self.Message = message


def systemPathToFileUrl(path):
    return "file://" + path


def path_of(url):
    return url[len("file://"):]


def answer():
    if GONE:
        raise Failure("Binary URP bridge disposed during call")


class Items:
    def __init__(self, items):
        self.items = list(items)

    def getCount(self):
        return len(self.items)

    def hasMoreElements(self):
        return bool(self.items)

    def createEnumeration(self):
        return Items(self.items)


class Text:
    def __init__(self, text):
        self.text = text

    def getString(self):
        return self.text


class Document:
    text = ""

    def load(self, arguments):
        answer()
        url = dict((p.Name, p.Value) for p in arguments)["URL"]
        with open(path_of(url), encoding="utf-8") as source:
            self.text = source.read()
        if "slow" in self.text:
            time.sleep(1)
        if "crash" in self.text:
            GONE.append(True)
            raise Failure("the connection to LibreOffice was lost")
        if "refused" in self.text:
            raise Failure("General Error. General input/output error.")

    def getEmbeddedObjects(self):
        return Items(["object"] if "objects" in self.text else [])

    def getRedlines(self):
        return Items([])

    def getText(self):
        return Text(self.text)

    def storeToURL(self, url, arguments):
        answer()
        with open(path_of(url), "w", encoding="utf-8") as target:
            target.write(self.text)

    def close(self, force):
        pass


class Desktop:
    def loadComponentFromURL(self, url, frame, flags, arguments):
        document = Document()
        document.load(arguments + (PropertyValue("URL", url),))
        return document

    def getCurrentFrame(self):
        answer()

    def terminate(self):
        answer()


class TypeDetection:
    def queryTypeByDescriptor(self, descriptor, deep):
        return "writer", (PropertyValue("FilterName", "stand-in"),)


class AsyncCallback:
    def addCallback(self, job, data):
        job.notify(data)


class ServiceManager:
    MADE = {
        "com.sun.star.bridge.UnoUrlResolver": lambda: Resolver(),
        "com.sun.star.frame.Desktop": Desktop,
        "com.sun.star.document.TypeDetection": TypeDetection,
        "com.sun.star.awt.AsyncCallback": AsyncCallback,
        "com.sun.star.text.TextDocument": Document,
    }

    def createInstanceWithContext(self, name, context):
        answer()
        return self.MADE[name]()


class Context:
    ServiceManager = ServiceManager()

    def getServiceManager(self):
        answer()
        return self.ServiceManager


class Resolver:
    def resolve(self, url):
        return Context()


def getComponentContext():
    return Context()


class PropertyValue:
    def __init__(self, name="", value=None):
        self.Name, self.Value = name, value


def module(name, **members):
    made = types.ModuleType(name)
    made.__dict__.update(members)
    sys.modules[name] = made
    return made


class Base:
    pass


class XCallback:
    pass


module("unohelper", Base=Base)
for package in ("com", "com.sun", "com.sun.star"):
    module(package).__path__ = []
module("com.sun.star.awt", XCallback=XCallback)
module("com.sun.star.beans", PropertyValue=PropertyValue)
