"""Drawing Pellucor's pictures and writing them as PNG, ICO and CUR files."""
