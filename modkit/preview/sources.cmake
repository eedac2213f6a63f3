# Sources of modkit/preview are listed here.
