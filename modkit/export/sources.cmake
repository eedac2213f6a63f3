# Sources of modkit/export are listed here.
